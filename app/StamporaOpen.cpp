#include "app/Stampora.h"

#include "app/ProjectPictures.h"
#include "framework/core/Exceptions.h"
#include "framework/core/MemoryBlock.h"
#include "framework/core/System.h"
#include "platform/effects/TextureRenderer.h"

#include <QWidget>

#include <cstring>

namespace {

using SetContentBorderThicknessFn = int32_t (*)(void* window, const void* borders);

const char* const kMailTags[] = {"Mail", "Entourage", "Mailsmith", "Eudora", "GyazMail"};

} // namespace

void Stampora::Event_Open() {
    fw::Date now;
    effects::TextureRenderer renderer;

    // The bands above and below the card, where the system can draw them.
    if (fw::System::IsFunctionAvailable("HIWindowSetContentBorderThickness", "Carbon")) {
        const float borders[4] = {56.0f, 0.0f, 56.0f, 0.0f};   // top, left, bottom, right
        fw::MemoryBlock block(sizeof borders);
        std::memcpy(block.Ptr(), borders, sizeof borders);
        auto setBorder = fw::LookupFunction<SetContentBorderThicknessFn>(
            "HIWindowSetContentBorderThickness", "Carbon");
        (void)setBorder(Widget(), block.Ptr());
    }

    fw::Deref(WindowMenuItem(0)).SetText(Title);
    imageOffset = fw::Pair::Make(0, 0);

    auto mail = eMailApplication();
    fw::Deref(mail);
    for (int row = 0; row < 5; ++row) mail->SetRowTag(row, kMailTags[row]);

    auto caption = textField();
    fw::Deref(caption);
    if (Widget()) Widget()->activateWindow();
    caption->SetFocus();
    caption->SetSelection(0, static_cast<int>(QString::fromStdString(caption->Text()).size()));

    MakePostageStamp(DefaultStampImage());
    BuildPostMark(now, renderer);
}
