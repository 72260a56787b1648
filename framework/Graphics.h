#pragma once

#include <QFont>

#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace fw {

class Picture;

// Colours are 24-bit RGB values, &hRRGGBB.
using Color = uint32_t;

// Draws into one picture. Text sizes are pixel sizes (the card is a picture, so its
// text must not change with the screen); size 0 is the default size, 12; the font
// "System" is the application font.
class Graphics {
public:
    explicit Graphics(Picture* target);
    ~Graphics();

    int Width() const;
    int Height() const;

    Color ForeColor = 0x000000;
    std::string TextFont = "System";
    double TextSize = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;

    void DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y);
    // Draws the source rectangle (sx, sy, sw, sh) of the picture scaled into the
    // destination rectangle (x, y, w, h).
    void DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y, int w, int h,
                     int sx, int sy, int sw, int sh);
    // Draws text with its first baseline at y; above 0, wrap is the width at which
    // lines are broken between words.
    void DrawString(const std::string& text, int x, int y, int wrap = 0);
    double StringWidth(const std::string& text) const;
    int TextHeight() const;
    int TextAscent() const;
    void FillRect(int x, int y, int w, int h);
    void ClearRect(int x, int y, int w, int h);

    // Called after every drawing operation (the canvas uses it to ask for a repaint).
    void SetChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    // The font the current text settings select.
    QFont CurrentFont() const;

private:
    void Changed();
    Picture* target_;
    std::function<void()> changed_;
};

} // namespace fw
