#include "alsa_plan.h"

#include "alsa_scale.h"

namespace mixer {

CapturePlan PlanCaptureLines(const std::vector<ElementInfo>& elements)
{
    CapturePlan plan;
    int master = -1;
    for (size_t i = 0; i < elements.size(); ++i) {
        const ElementInfo& e = elements[i];
        if (e.captureEnum && plan.sourceElement < 0) plan.sourceElement = static_cast<int>(i);
        if (!e.captureEnum && master < 0 && SameName(e.name, "Capture") && e.captureVolume)
            master = static_cast<int>(i);
    }
    const std::vector<std::string> noItems;
    const std::vector<std::string>& items =
        plan.sourceElement >= 0 ? elements[static_cast<size_t>(plan.sourceElement)].enumItems : noItems;
    const auto itemNamed = [&](const std::string& name) {
        for (size_t k = 0; k < items.size(); ++k)
            if (SameName(items[k], name)) return static_cast<int>(k);
        return -1;
    };

    std::vector<bool> itemTaken(items.size(), false);
    for (size_t i = 0; i < elements.size(); ++i) {
        const ElementInfo& e = elements[i];
        if (e.captureEnum || !(e.captureVolume || e.captureSwitch)) continue;
        const int item = itemNamed(e.name);
        if (plan.sourceElement >= 0 && item < 0 && SameName(e.name, "Capture")) continue;
        if (item >= 0) itemTaken[static_cast<size_t>(item)] = true;
        plan.lines.push_back({e.name, static_cast<int>(i), item});
    }
    for (size_t k = 0; k < items.size(); ++k)
        if (!itemTaken[k]) plan.lines.push_back({items[k], master, static_cast<int>(k)});
    return plan;
}

}  // namespace mixer
