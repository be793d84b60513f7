#pragma once
// Text that lies in a buffer shared with other texts. The rows read from one file keep
// their captions in that file's bytes, which the last of them frees, instead of taking
// one allocation each. Text made from a string gets a buffer of its own. The bytes are
// never changed once shared.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace list_view_stream {

class SharedText {
public:
    SharedText() = default;
    // A copy of the text, in a buffer of its own.
    SharedText(std::string_view text) : SharedText(Copy(text)) {}
    SharedText(const std::string& text) : SharedText(std::string_view(text)) {}
    SharedText(const char* text) : SharedText(std::string_view(text)) {}
    // The first `size` bytes of `buffer`, which the text keeps alive.
    SharedText(std::shared_ptr<const char[]> buffer, size_t size)
        : text_(buffer.get(), buffer ? size : 0), buffer_(std::move(buffer))
    {
    }

    [[nodiscard]] std::string_view view() const { return text_; }
    operator std::string_view() const { return text_; }
    [[nodiscard]] const char* data() const { return text_.data(); }
    [[nodiscard]] size_t size() const { return text_.size(); }
    [[nodiscard]] bool empty() const { return text_.empty(); }

    // The part of this text that `part` views, sharing the buffer. A view from
    // elsewhere is copied.
    [[nodiscard]] SharedText Within(std::string_view part) const
    {
        const std::less_equal<const char*> le;
        if (part.empty() || !le(text_.data(), part.data()) || !le(part.data() + part.size(), text_.data() + text_.size()))
            return SharedText(part);
        SharedText sub;
        sub.buffer_ = buffer_;
        sub.text_ = part;
        return sub;
    }

    friend bool operator==(const SharedText& a, const SharedText& b) { return a.text_ == b.text_; }

private:
    static SharedText Copy(std::string_view text)
    {
        if (text.empty()) return {};
        std::shared_ptr<char[]> buffer = std::make_shared_for_overwrite<char[]>(text.size());
        std::copy(text.begin(), text.end(), buffer.get());
        return SharedText(std::move(buffer), text.size());
    }

    std::string_view text_;
    std::shared_ptr<const char[]> buffer_;
};

}  // namespace list_view_stream
