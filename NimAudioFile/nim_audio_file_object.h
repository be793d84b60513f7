#pragma once
// CNimAudioFileObject: the audio file control. It writes one recording at a time as a
// WAV or MP3 file from the sample arrays the capture control hands out; no events.

#include "INimAudioFile.h"
#include "audio_file_writer.h"
#include "control_shell.h"

#include <string>

class CNimAudioFileObject : public INimAudioFile, public component_shell::ControlShell {
public:
    // Invisible at run time, 32 x 32 pixels and no other size, saving only its extent.
    static const component_shell::ControlTraits kTraits;

    CNimAudioFileObject();
    // Uses another encoder library than the installed one (tests of a missing encoder).
    explicit CNimAudioFileObject(std::string encoderLibrary);

    void* InternalQueryInterface(REFIID iid);

    // IDispatch
    HRESULT GetIDsOfNames(const char* name, DISPID* dispId) override;
    HRESULT Invoke(DISPID dispId, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result) override;

    // INimAudioFile
    HRESULT SetFormat(LONG lAudioFormat) override;
    HRESULT CreateAudioFile(const std::string& FileName) override;
    HRESULT SetAudioFormat(LONG lChannels, LONG lSamplesPerSec, LONG lBitsPerSample) override;
    HRESULT CloseAudioFile() override;
    HRESULT Write(SAFEARRAY** pSafeArrayData, LONG lArrayLength) override;
    HRESULT SetMP3BitRate(LONG lMP3BitRate) override;

protected:
    // An open file is finished by the writers when the control goes away.
    ~CNimAudioFileObject() = default;

private:
    // The result of a writer call that failed.
    [[nodiscard]] HRESULT FailureResult() const;

    nim_audio_file::CAudioFileWriter writer_;
};
