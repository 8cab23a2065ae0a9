// TextLineBuffer: the editing model of a one-line text field. The first edit
// after SetText replaces the whole content.
#include "runtime/runtime.h"

namespace rava {

void TextLineBuffer::SetText(std::string_view value) {
    text = std::string(value);
    saved = text;
    enabled = true;
    replaceOnNext = true;
}

void TextLineBuffer::AppendText(std::string_view pieceArg) {
    if (!enabled || pieceArg.empty()) return;
    // The piece may view our own text (AppendText(b.text)), which the replace below empties.
    std::string piece(pieceArg);
    if (replaceOnNext) {
        text.clear();
        replaceOnNext = false;
    }
    if (text.size() + piece.size() <= kMaxBytes) text = Format("{0}{1}", {text, piece});
}

void TextLineBuffer::Backspace() {
    if (replaceOnNext) {
        text.clear();
        replaceOnNext = false;
        return;
    }
    if (text.empty()) return;
    size_t cut = text.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
}

void TextLineBuffer::Revert() {
    text = saved;
    enabled = false;
    replaceOnNext = false;
}

}  // namespace rava
