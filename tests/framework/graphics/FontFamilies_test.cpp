#include "framework/graphics/FontFamilies.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Screen.h"

#include "tests/common/TestSupport.h"

#include <QFontInfo>

#include <set>

using namespace fw;

// A family that several foundries supply comes once by its plain name, where it first
// came; brackets inside a name are part of it.
TEST(FontFamilies, EachFamilyComesOnceByItsPlainNameInThePlatformsOrder) {
    struct Row { QStringList platform, plain; };
    for (const Row& row : {
             Row{{"Nimbus Sans [urw]", "DejaVu Sans", "Nimbus Sans [UKWN]", "C059 [UKWN]", "Nimbus Sans [URW ]", "C059 [urw]"},
                 {"Nimbus Sans", "DejaVu Sans", "C059"}},
             Row{{"Serif", "Sans", "Serif", "Sans [x]"}, {"Serif", "Sans"}},
             Row{{"Old [Style] Roman", "Old [Style] Roman [urw]"}, {"Old [Style] Roman"}},
             Row{{"Odd [a[b]", "Odd [a[b] [urw]"}, {"Odd [a[b]"}},   // no foundry holds a '['
             Row{{}, {}}}) {
        EXPECT_EQ(PlainFamilies(row.platform), row.plain) << row.platform.join(", ").toStdString();
    }
    // The installed families as the program lists them, and the plain name finding its face.
    std::set<std::string> seen;
    for (int i = 0; i < FontCount(); ++i) {
        EXPECT_TRUE(seen.insert(Font(i)).second) << Font(i);
        EXPECT_NE(Font(i).back(), ']') << Font(i);
    }
    EXPECT_EQ(seen.count("Nimbus Sans"), 1u);
    EXPECT_EQ(Graphics::ResolveFontFamily("nimbus sans"), "Nimbus Sans");
    PictureRef p = Picture::New(10, 10, 32);
    p->GetGraphics().TextFont = "Nimbus Sans";
    EXPECT_TRUE(QFontInfo(p->GetGraphics().CurrentFont()).family().startsWith("Nimbus Sans"));
}

// A symbol face maps letters to pictures: it cannot show a name to a reader.
TEST(FontFamilies, OnlyAFaceWithTheLettersDrawsText) {
    struct Row { const char* family; const char* text; bool draws; };
    for (const Row& row : {Row{"DejaVu Sans", "DejaVu Sans", true}, Row{"DejaVu Serif", "Nimbus Sans", true},
                           Row{"Standard Symbols PS", "Standard Symbols PS", false}, Row{"D050000L", "D050000L", false},
                           Row{"DejaVu Sans", "DejaVu \xe4\xb8\x80", false}}) {   // a CJK ideograph it lacks
        EXPECT_EQ(FontDrawsText(row.family, row.text), row.draws) << row.family << " / " << row.text;
    }
}
