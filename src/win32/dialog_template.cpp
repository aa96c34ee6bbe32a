#include "win32/dialog_template.h"

namespace win32 {

namespace {

constexpr uint32_t kSetFont = 0x40; // DS_SETFONT

// Walks the template as 16-bit words; any read past the end marks the reader failed.
class WordReader {
public:
    WordReader(const uint8_t* data, size_t bytes) : data_(data), words_(bytes / 2) {}
    bool failed() const { return failed_; }

    uint16_t Word() {
        if (at_ >= words_) {
            failed_ = true;
            return 0;
        }
        const uint16_t value = uint16_t(data_[2 * at_] | (data_[2 * at_ + 1] << 8));
        ++at_;
        return value;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | (uint32_t(Word()) << 16);
    }
    int16_t Short() { return int16_t(Word()); }
    std::wstring String() {
        std::wstring text;
        for (uint16_t c = Word(); c && !failed_; c = Word())
            text.push_back(wchar_t(c));
        return text;
    }
    // A name-or-ordinal field: the ordinal in atom (text empty), or the name.
    std::wstring NameOrOrdinal(uint16_t* atom = nullptr) {
        if (at_ < words_ && Peek() == 0xFFFF) {
            Word();
            const uint16_t ordinal = Word();
            if (atom)
                *atom = ordinal;
            return {};
        }
        return String();
    }
    void AlignToDword() { at_ = (at_ + 1) & ~size_t(1); }
    void Skip(size_t bytes) { at_ += (bytes + 1) / 2; }

private:
    uint16_t Peek() const { return uint16_t(data_[2 * at_] | (data_[2 * at_ + 1] << 8)); }
    const uint8_t* data_;
    size_t words_;
    size_t at_ = 0;
    bool failed_ = false;
};

} // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const void* data, size_t bytes) {
    WordReader in(static_cast<const uint8_t*>(data), bytes);
    DialogTemplate dialog;
    const uint16_t first = in.Word(), second = in.Word();
    const bool extended = first == 1 && second == 0xFFFF;
    if (extended) {
        in.Dword(); // help id
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        dialog.style = first | (uint32_t(second) << 16);
        dialog.exStyle = in.Dword();
    }
    const uint16_t count = in.Word();
    dialog.x = in.Short(), dialog.y = in.Short(), dialog.cx = in.Short(), dialog.cy = in.Short();
    in.NameOrOrdinal(); // menu
    in.NameOrOrdinal(); // window class
    dialog.caption = in.String();
    if (dialog.style & kSetFont) {
        dialog.pointSize = in.Word();
        if (extended) {
            dialog.weight = in.Word();
            dialog.italic = (in.Word() & 0xFF) != 0; // italic, then the character set
        }
        dialog.face = in.String();
    }
    for (uint16_t i = 0; i < count && !in.failed(); ++i) {
        in.AlignToDword();
        DialogItem item;
        if (extended) {
            in.Dword(); // help id
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short(), item.y = in.Short(), item.cx = in.Short(), item.cy = in.Short();
        item.id = extended ? in.Dword() : in.Word();
        item.className = in.NameOrOrdinal(&item.classAtom);
        item.text = in.NameOrOrdinal();
        in.Skip(in.Word()); // creation data
        dialog.items.push_back(std::move(item));
    }
    if (in.failed())
        return std::nullopt;
    return dialog;
}

} // namespace win32
