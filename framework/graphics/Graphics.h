#pragma once

#include "framework/graphics/Color.h"

#include <QFont>
#include <QPoint>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace fw {

class Picture;

// Draws into one picture. Text sizes are pixel sizes (the card is a picture, so its
// text must not change with the screen); size 0 is the default size, 12; the font
// "System" is the application font. Font names of the original platform are mapped
// to the nearest installed free font, and a name no font has falls back quietly to
// the application font.
class Graphics {
public:
    explicit Graphics(Picture* target);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

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
    // lines are broken between words (within a word when one word is wider). Lines
    // that would start below the picture's bottom are not laid out at all.
    void DrawString(const std::string& text, int x, int y, int wrap = 0);
    double StringWidth(const std::string& text) const;
    int TextHeight() const;
    int TextAscent() const;
    void FillRect(int x, int y, int w, int h);
    // A one-pixel outline just inside the rectangle.
    void DrawRect(int x, int y, int w, int h);
    // Corners rounded by quarter ellipses arcW wide and arcH high.
    void FillRoundRect(int x, int y, int w, int h, int arcW, int arcH);
    // Fills with white, the colour of a new picture (transparent in a mask).
    void ClearRect(int x, int y, int w, int h);

    // Called after every drawing operation (the canvas uses it to ask for a repaint).
    void SetChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

    // Handle(2) is the graphics' port: a number, never 0, by which the platform's
    // drawing calls find it again (FromPort) for as long as the graphics lives.
    // Other kinds have no handle here and give 0.
    static constexpr int kPortHandle = 2;
    int32_t Handle(int kind);
    static Graphics* FromPort(int32_t port);

    // Runs `draw` with a painter on the graphics' pixels, in the graphics'
    // coordinates; for platform calls that draw with Qt directly.
    void DrawWith(const std::function<void(QPainter&)>& draw);

    // Where the drawing lands: the pixels, where the graphics' (0, 0) lies in them,
    // and the size Width and Height report (empty: the target's). The window's
    // graphics is moved onto the control that paints.
    struct Frame {
        Picture* target = nullptr;
        QPoint origin;
        QSize size;
    };
    Frame CurrentFrame() const { return {target_, origin_, size_}; }
    void SetFrame(const Frame& frame);

    // Test seam: every DrawString, the empty text included, as it was asked for.
    struct TextCall {
        std::string text;
        int x = 0;
        int y = 0;
        Color color = 0;
    };
    void SetTextObserver(std::function<void(const TextCall&)> observer) {
        textObserver_ = std::move(observer);
    }
    // Test seam: how many lines the last text laid out anew (wrapped, or of several
    // lines) was broken into. Lines below the target's bottom are not.
    static int LinesLaidOut();

    // The font the current text settings select.
    QFont CurrentFont() const;
    // The font of a font name, pixel size and style; a pixel size of 0 or below keeps
    // the application font's size.
    static QFont FontFor(const std::string& name, int pixelSize, bool bold, bool italic, bool underline);
    // The installed family that draws a font name: the name itself when a font has
    // it, its substitute for the original platform's names, else the application
    // font's family.
    static QString ResolveFontFamily(const std::string& name);
    // How many names ResolveFontFamily keeps the answer for, the most recently asked.
    static constexpr size_t kKeptFontFamilies = 64;
    // Test seam: how many it keeps now.
    static size_t KeptFontFamilies();

private:
    void Changed();
    void Begin(QPainter& painter);
    Picture* target_;
    QPoint origin_;
    QSize size_;
    int32_t port_ = 0;
    std::function<void()> changed_;
    std::function<void(const TextCall&)> textObserver_;
};

} // namespace fw
