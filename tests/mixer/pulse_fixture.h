#pragma once
// Two extra null sinks on the private sound server for the length of one test: their
// monitors are two more capture endpoints. The default source is put back afterwards.

#include "command.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace mixer_test {

class TwoNullSinks : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunCommand("pactl info").status, 0) << "the private sound server is not running";
        originalDefault_ = Trim(RunCommand("pactl get-default-source").output);
        for (const char* sink : {"h6_left", "h6_right"}) {
            const std::string description = std::string(sink) == "h6_left" ? "ChorvaneLeft" : "ChorvaneRight";
            const auto loaded = RunCommand(std::string("pactl load-module module-null-sink sink_name=") + sink +
                                    " sink_properties=device.description=" + description);
            ASSERT_EQ(loaded.status, 0) << loaded.output;
            modules_.push_back(Trim(loaded.output));
        }
    }

    void TearDown() override
    {
        if (!originalDefault_.empty()) RunCommand("pactl set-default-source " + originalDefault_);
        for (const std::string& id : modules_) RunCommand("pactl unload-module " + id);
    }

    // Channel volumes of a source in percent, as the server reports them.
    static std::vector<int> SourcePercents(const std::string& source)
    {
        const std::string text = RunCommand("pactl get-source-volume " + source).output;
        // "Volume: front-left: 24248 /  37% / -25.91 dB,   front-right: ..."
        std::vector<int> percents;
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            size_t begin = at;
            while (begin > 0 && std::isdigit(static_cast<unsigned char>(text[begin - 1]))) --begin;
            if (begin < at) percents.push_back(std::stoi(text.substr(begin, at - begin)));
        }
        return percents;
    }

    static std::string Trim(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

private:
    std::string originalDefault_;
    std::vector<std::string> modules_;
};

}  // namespace mixer_test
