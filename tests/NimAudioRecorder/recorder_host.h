#pragma once
// A test host for the capture control: advises one sink, counts events, and by default
// collects the pending data in OnData as the program does.

#include "INimAudioRecorder.h"
#include "event_sink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

struct RecorderHost {
    // Takes all pending bytes; appends them to `into` and returns how many there were.
    static long Collect(INimAudioRecorder* recorder, std::vector<char>* into)
    {
        SAFEARRAY* array = nullptr;
        EXPECT_EQ(recorder->ReceiveArray(&array), S_OK);
        if (!array) return -1;
        const long n = static_cast<long>(array->rgsabound[0].cElements);
        EXPECT_EQ(array->rgsabound[0].lLbound, 0);
        EXPECT_EQ(array->vt, VT_I1);
        const char* bytes = static_cast<const char*>(array->pvData);
        if (into) into->insert(into->end(), bytes, bytes + n);
        EXPECT_EQ(SafeArrayDestroy(array), S_OK);
        return n;
    }

    explicit RecorderHost(INimAudioRecorder* control) : recorder(control)
    {
        EXPECT_EQ(events.Connect(control, DIID__INimAudioRecorderEvents, [this](DISPID id) {
            sequence.push_back(id);
            if (id == nim_audio_recorder_dispid::OnData) {
                ++dataEvents;
                if (onData)
                    onData();
                else
                    dataSizes.push_back(Collect(recorder, &collected));
            } else if (id == nim_audio_recorder_dispid::OnTimer) {
                ++timerEvents;
                if (onTimer) onTimer();
            } else if (id == nim_audio_recorder_dispid::OnError) {
                ++errorEvents;
                if (onError) onError();
            }
        }), S_OK);
    }

    INimAudioRecorder* recorder;
    component_shell::EventConnection events;
    std::function<void()> onData;  // replaces the default collection
    std::function<void()> onTimer;
    std::function<void()> onError;
    std::vector<char> collected;
    std::vector<long> dataSizes;  // pending length found at each OnData (default handler)
    int dataEvents = 0;
    int timerEvents = 0;
    int errorEvents = 0;
    std::vector<DISPID> sequence;  // every event, in the order fired

    // The events other than OnTimer, in order.
    [[nodiscard]] std::vector<DISPID> dataAndErrors() const
    {
        std::vector<DISPID> out;
        for (DISPID id : sequence)
            if (id != nim_audio_recorder_dispid::OnTimer) out.push_back(id);
        return out;
    }
};
