#pragma once
// Identity of the four controls: class ids, interface ids, names and library files.
// Each GUID was generated once and never changes.

#include "automation.h"

#include <array>

namespace identity {

// NimVisualization
inline constexpr CLSID CLSID_NimVisualization{0xC7B8F023, 0x8D92, 0x4CDC, {0xB9, 0x20, 0x87, 0xB1, 0x9B, 0xFF, 0x2B, 0x48}};  // C7B8F023-8D92-4CDC-B920-87B19BFF2B48
inline constexpr GUID APPID_NimVisualization{0xAF3BF602, 0x6001, 0x4AF2, {0x88, 0x1B, 0x29, 0xEA, 0x36, 0xB8, 0x4A, 0x59}};  // AF3BF602-6001-4AF2-881B-29EA36B84A59
inline constexpr GUID LIBID_NimVisualizationLib{0x2B5C223D, 0x3EAC, 0x4662, {0xA1, 0x64, 0xB8, 0xA5, 0x4E, 0x64, 0xBF, 0x50}};  // 2B5C223D-3EAC-4662-A164-B8A54E64BF50
inline constexpr IID IID_INimVisualization{0xB6483E38, 0x297C, 0x44C2, {0xA5, 0x06, 0xEE, 0xE7, 0x79, 0xDC, 0x96, 0x12}};  // B6483E38-297C-44C2-A506-EEE779DC9612
inline constexpr IID DIID__INimVisualizationEvents{0x48EA87F4, 0x4973, 0x4EEE, {0xB8, 0xB0, 0x95, 0xAA, 0x99, 0xCE, 0xFA, 0x61}};  // 48EA87F4-4973-4EEE-B8B0-95AA99CEFA61

// NimAudioRecorder
inline constexpr CLSID CLSID_NimAudioRecorder{0x6D8A125C, 0x35B3, 0x4521, {0xA0, 0x99, 0xD8, 0xAD, 0x6C, 0xAF, 0x15, 0xD8}};  // 6D8A125C-35B3-4521-A099-D8AD6CAF15D8
inline constexpr GUID APPID_NimAudioRecorder{0x346741DD, 0xC581, 0x491C, {0x89, 0x09, 0x3D, 0x5C, 0xED, 0xB3, 0x27, 0x06}};  // 346741DD-C581-491C-8909-3D5CEDB32706
inline constexpr GUID LIBID_NimAudioRecorderLib{0x3DCA0766, 0x8468, 0x4DC4, {0x9F, 0xD0, 0xBA, 0xE7, 0x02, 0x1F, 0x5E, 0x10}};  // 3DCA0766-8468-4DC4-9FD0-BAE7021F5E10
inline constexpr IID IID_INimAudioRecorder{0x4BCDFF37, 0x1A72, 0x47D2, {0x97, 0x34, 0x5A, 0x30, 0x97, 0x40, 0x72, 0xB6}};  // 4BCDFF37-1A72-47D2-9734-5A30974072B6
inline constexpr IID DIID__INimAudioRecorderEvents{0xC2B002A1, 0xA70D, 0x4ED8, {0xBE, 0x5C, 0xAF, 0x58, 0x73, 0x19, 0x3D, 0x9D}};  // C2B002A1-A70D-4ED8-BE5C-AF5873193D9D

// NimDXVideoPlayer
inline constexpr CLSID CLSID_NimDXVideoPlayer{0x921B27B4, 0x9EC5, 0x4AF1, {0x99, 0x64, 0xCE, 0x3A, 0x81, 0x48, 0x68, 0xFA}};  // 921B27B4-9EC5-4AF1-9964-CE3A814868FA
inline constexpr GUID APPID_NimDXVideoPlayer{0xD0A87CCA, 0x8B85, 0x45A3, {0xAF, 0xED, 0x8B, 0x7C, 0x88, 0x89, 0x37, 0x95}};  // D0A87CCA-8B85-45A3-AFED-8B7C88893795
inline constexpr GUID LIBID_NimDXVideoPlayerLib{0x5C287C72, 0xB703, 0x4B64, {0x88, 0x61, 0x7D, 0x4F, 0xB0, 0xCE, 0x6C, 0x48}};  // 5C287C72-B703-4B64-8861-7D4FB0CE6C48
inline constexpr IID IID_INimDXVideoPlayerObject{0x40213AEE, 0xC198, 0x428E, {0x91, 0x9A, 0xF9, 0x7D, 0x87, 0x5C, 0x32, 0xDB}};  // 40213AEE-C198-428E-919A-F97D875C32DB
inline constexpr IID DIID__INimDXVideoPlayerObjectEvents{0xB8CF643C, 0xA40A, 0x401C, {0xAB, 0xCC, 0x75, 0xF6, 0x4F, 0x20, 0xAB, 0x05}};  // B8CF643C-A40A-401C-ABCC-75F64F20AB05

// NimAudioFile
inline constexpr CLSID CLSID_NimAudioFile{0xBF368F10, 0xB09B, 0x4D74, {0x82, 0x3A, 0x4C, 0x1E, 0xA5, 0x8C, 0x05, 0xBF}};  // BF368F10-B09B-4D74-823A-4C1EA58C05BF
inline constexpr GUID APPID_NimAudioFile{0xFB16AB43, 0xF99F, 0x46A6, {0xBF, 0xE4, 0xC3, 0x17, 0x52, 0xD5, 0xD6, 0x8A}};  // FB16AB43-F99F-46A6-BFE4-C31752D5D68A
inline constexpr GUID LIBID_NimAudioFileLib{0xF0CD8F8A, 0x09E4, 0x462B, {0xBE, 0x42, 0x81, 0x85, 0xF9, 0x90, 0xBE, 0xD1}};  // F0CD8F8A-09E4-462B-BE42-8185F990BED1
inline constexpr IID IID_INimAudioFile{0xE4DD88E2, 0x2705, 0x4A77, {0x9E, 0xA5, 0x11, 0xAD, 0xE1, 0x3E, 0x75, 0x98}};  // E4DD88E2-2705-4A77-9EA5-11ADE13E7598

struct ControlIdentity {
    const char* name;            // "NimAudioRecorder"
    CLSID clsid;
    const char* library;         // file in the program's library folder
    const char* progId;          // "NimAudioRecorder.NimAudioRecorder.1"
    const char* versionIndependentProgId;
    const char* description;     // "NimAudioRecorder Class"
    uint32_t miscStatus;
    bool visibleAtRunTime;
};

inline constexpr std::array<ControlIdentity, 4> kControls{{
    {"NimVisualization", CLSID_NimVisualization, "libNimVisualization.so",
     "NimVisualization.NimVisualization.1", "NimVisualization.NimVisualization",
     "NimVisualization Class", 131473, true},
    {"NimAudioRecorder", CLSID_NimAudioRecorder, "libNimAudioRecorder.so",
     "NimAudioRecorder.NimAudioRecorder.1", "NimAudioRecorder.NimAudioRecorder",
     "NimAudioRecorder Class", 132497, false},
    {"NimDXVideoPlayer", CLSID_NimDXVideoPlayer, "libNimDXVideoPlayer.so",
     "NimDXVideoPlayer.NimDXVideoPlayer.1", "NimDXVideoPlayer.NimDXVideoPlayer",
     "NimDXVideoPlayer Class", 132497, false},
    {"NimAudioFile", CLSID_NimAudioFile, "libNimAudioFile.so",
     "NimAudioFile.NimAudioFile.1", "NimAudioFile.NimAudioFile",
     "NimAudioFile Class", 132497, false},
}};

// The identity of a class id; nullptr for one that is not ours.
inline const ControlIdentity* FindControl(const CLSID& clsid)
{
    for (const auto& c : kControls)
        if (c.clsid == clsid) return &c;
    return nullptr;
}

}  // namespace identity
