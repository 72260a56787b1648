#pragma once

#include <QFont>

#include <cstdint>
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
// "System" is the application font. Font names of the original platform are mapped
// to the nearest installed free font, and a name no font has falls back quietly to
// the application font.
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

    // Draws the picture whole at its own size, through its mask when it has one.
    void DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y);
    // Draws the source rectangle (sx, sy, sw, sh) of the picture scaled smoothly into
    // the destination rectangle (x, y, w, h). Parts of the source rectangle outside
    // the picture draw nothing; the destination keeps its pixels there.
    void DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y, int w, int h,
                     int sx, int sy, int sw, int sh);
    // Draws text with its first baseline at y; above 0, wrap is the width at which
    // lines are broken between words (within a word when one word is wider).
    void DrawString(const std::string& text, int x, int y, int wrap = 0);
    double StringWidth(const std::string& text) const;
    int TextHeight() const;
    int TextAscent() const;
    void FillRect(int x, int y, int w, int h);
    // Fills with white, the colour of a new picture (transparent in a mask).
    void ClearRect(int x, int y, int w, int h);

    // Called after every drawing operation (the canvas uses it to ask for a repaint).
    void SetChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    // The font the current text settings select.
    QFont CurrentFont() const;
    // The installed family that draws a font name: the name itself when a font has
    // it, its substitute for the original platform's names, else the application
    // font's family.
    static QString ResolveFontFamily(const std::string& name);

private:
    void Changed();
    Picture* target_;
    std::function<void()> changed_;
};

} // namespace fw
