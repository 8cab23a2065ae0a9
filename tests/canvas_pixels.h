// Checks shared by the real-window canvas tests of both hosts: back-buffer
// pixels in client coordinates (y growing downwards) and the messages the
// host raises.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "runtime/runtime.h"

namespace rava::test {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The back-buffer pixel at client (x, y) of a client area this many pixels high.
inline Rgb ReadBackPixel(int clientHeight, int x, int y) {
    unsigned char px[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, clientHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

// Back-buffer pixels in [x0, x1) x [y0, y1) that differ from the background.
inline int CountPixelsUnlike(int clientHeight, int x0, int y0, int x1, int y1, Rgb background) {
    const int width = x1 - x0;
    const int height = y1 - y0;
    std::string buffer(static_cast<size_t>(width) * height * 4, '\0');
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, clientHeight - y1, width, height, GL_RGBA, GL_UNSIGNED_BYTE, buffer.data());
    int count = 0;
    for (size_t i = 0; i + 3 < buffer.size(); i += 4) {
        const Rgb c{static_cast<unsigned char>(buffer[i]), static_cast<unsigned char>(buffer[i + 1]),
                    static_cast<unsigned char>(buffer[i + 2])};
        if (!(c == background)) ++count;
    }
    return count;
}

// The what() text of the rill_runtime_exception the call raises, "" when it
// raises nothing ("<other>" for any other exception).
inline std::string RaisedMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const rill_runtime_exception& e) {
        return e.what();
    } catch (...) {
        return "<other>";
    }
    return "";
}

}  // namespace rava::test
