#include "data/XmlText.h"

namespace corvane {

void AppendXmlEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "&#" + std::to_string(static_cast<int>(c)) + ";";
            } else {
                out += c;
            }
        }
    }
}

} // namespace corvane
