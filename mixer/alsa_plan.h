#pragma once
// Which recording lines a card's mixer offers, worked out from its element list alone
// (pure, so every card layout can be tested without the card):
// - each capture element (capture volume or switch) is a line, in element order;
//   when the card's capture-source enumeration has an item of the same name, that
//   item is how the line is selected;
// - each enumeration item without such an element is a line of its own (HDA codecs
//   list "Mic", "Line", "Stereo Mix" only there), selected through the enumeration,
//   its volume the converter's "Capture" element;
// - with an enumeration, the converter's own "Capture" element is not a line: it
//   records whatever the enumeration picks.

#include <string>
#include <vector>

namespace mixer {

struct ElementInfo {
    std::string name;
    bool captureVolume = false;
    bool captureSwitch = false;
    bool captureEnum = false;              // a capture-source enumeration
    std::vector<std::string> enumItems;    // its items
};

struct LinePlan {
    std::string name;
    int element = -1;   // element giving the volume (and the switch when enumItem is -1); -1: none
    int enumItem = -1;  // item of the capture-source enumeration that selects the line; -1: the switch
};

struct CapturePlan {
    std::vector<LinePlan> lines;
    int sourceElement = -1;  // the capture-source enumeration; -1 when the card has none
};

[[nodiscard]] CapturePlan PlanCaptureLines(const std::vector<ElementInfo>& elements);

}  // namespace mixer
