#include "tests/app/StamporaFixture.h"

#include "app/MenuBar1.h"
#include "framework/System.h"
#include "interfacekit/ifkColorWell.h"
#include "interfacekit/ifkFontComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <cstring>

TEST_F(StamporaTest, AccessorReturnsTheOneOpenWindow) {
    EXPECT_EQ(Stampora::Instance(), window);
    EXPECT_EQ(fw::Runtime::Windows().size(), 1u);
}

TEST_F(StamporaTest, WindowHasTheDesignSizeTitleAndFrame) {
    EXPECT_EQ(window->Title, "Quorvine's Stampora");
    EXPECT_EQ(window->Widget()->windowTitle().toStdString(), "Quorvine's Stampora");
    EXPECT_EQ(window->Content()->size(), QSize(640, 428));
    // Neither resizable nor maximisable; closable and minimisable.
    EXPECT_EQ(window->Content()->minimumSize(), window->Content()->maximumSize());
    const Qt::WindowFlags flags = window->Widget()->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->MenuBar, MenuBar1::Instance());
}

struct ControlRow {
    const char* name;
    int page;
    int left, top, width, height;
    bool lockLeft, lockTop, lockRight, lockBottom;
    int tabIndex;
};

void PrintTo(const ControlRow& row, std::ostream* os) { *os << row.name; }

class ControlTable : public StamporaTest, public ::testing::WithParamInterface<ControlRow> {};

TEST_P(ControlTable, ControlSitsWhereTheDesignPutsIt) {
    const ControlRow row = GetParam();
    auto control = window->ControlByName(row.name);
    ASSERT_TRUE(control) << row.name;
    EXPECT_EQ(control->PanelIndex, row.page);
    EXPECT_EQ(control->Left, row.left);
    EXPECT_EQ(control->Top, row.top);
    EXPECT_EQ(control->Width, row.width);
    EXPECT_EQ(control->Height, row.height);
    EXPECT_EQ(control->LockLeft, row.lockLeft);
    EXPECT_EQ(control->LockTop, row.lockTop);
    EXPECT_EQ(control->LockRight, row.lockRight);
    EXPECT_EQ(control->LockBottom, row.lockBottom);
    EXPECT_EQ(control->TabIndex, row.tabIndex);
    // Content coordinates, also on the panel: the panel does not move its children.
    EXPECT_EQ(control->Widget()->geometry(), QRect(row.left, row.top, row.width, row.height));
    if (row.page > 0) {
        EXPECT_EQ(control->Parent, window->PagePanel1());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stampora, ControlTable,
    ::testing::Values(ControlRow{"PagePanel1", 0, -7, 0, 654, 428, false, false, false, false, 6},
                      ControlRow{"ifkColorWell1", 1, 369, 20, 30, 22, false, false, false, false, 0},
                      ControlRow{"textField", 1, 14, 20, 343, 22, true, false, true, false, 2},
                      ControlRow{"DisplayArea", 1, 0, 56, 640, 316, false, false, false, true, 3},
                      ControlRow{"SaveButton", 1, 480, 388, 140, 20, false, false, false, true, 4},
                      ControlRow{"eMailApplication", 1, 20, 387, 280, 20, false, false, false, false, 5},
                      ControlRow{"HTMLViewer1", 2, 0, 16, 640, 364, true, true, true, true, 0},
                      ControlRow{"MorInfoButton", 2, 303, 392, 160, 20, false, false, false, true, 1},
                      ControlRow{"DownloadNowButton", 2, 475, 392, 140, 20, false, false, true, true, 2},
                      ControlRow{"CancelButton", 2, 25, 392, 80, 20, false, false, true, true, 3},
                      ControlRow{"textTypeFace", 1, 411, 20, 153, 20, false, false, true, false, 6},
                      ControlRow{"textSizeField", 1, 576, 20, 50, 20, false, false, false, false, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StamporaTest, ControlsAreMadeInTheDesignOrder) {
    std::vector<std::string> names;
    for (const auto& c : window->Controls()) names.push_back(c->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"PagePanel1", "ifkColorWell1", "textField", "DisplayArea",
                                               "SaveButton", "eMailApplication", "HTMLViewer1",
                                               "MorInfoButton", "DownloadNowButton", "CancelButton",
                                               "textTypeFace", "textSizeField"}));
}

TEST_F(StamporaTest, OnlyTheComposerPageShowsAtFirst) {
    EXPECT_EQ(window->PagePanel1()->Value(), 0);
    EXPECT_TRUE(window->DisplayArea()->Widget()->isVisible());
    EXPECT_TRUE(window->SaveButton()->Widget()->isVisible());
    EXPECT_FALSE(window->HTMLViewer1()->Widget()->isVisible());
    EXPECT_FALSE(window->CancelButton()->Widget()->isVisible());
}

TEST_F(StamporaTest, ControlsStartWithTheirDesignTexts) {
    EXPECT_EQ(window->textField()->Text(), "Type Your Message Here");
    EXPECT_EQ(window->SaveButton()->Caption, "Send Zinglet");
    EXPECT_TRUE(window->SaveButton()->Default);
    EXPECT_EQ(window->MorInfoButton()->Caption, "More Information...");
    EXPECT_EQ(window->DownloadNowButton()->Caption, "Download Now!");
    EXPECT_TRUE(window->DownloadNowButton()->Default);
    EXPECT_EQ(window->CancelButton()->Caption, "Close");
    EXPECT_EQ(window->ifkColorWell1()->colorValue(), 0x000000u);
    EXPECT_EQ(window->textTypeFace()->Text(), "Papyrus");
    EXPECT_EQ(window->textSizeField()->Text(), "24");
    EXPECT_EQ(window->textSizeField()->ListIndex(), 6);
    EXPECT_EQ(window->textSizeField()->ListCount(), 11);
    EXPECT_EQ(window->textSizeField()->List(0), "8");
    EXPECT_EQ(window->textSizeField()->List(10), "72");
}

TEST_F(StamporaTest, MailPopupRowsCarryTheirProgramTags) {
    auto mail = window->eMailApplication();
    ASSERT_EQ(mail->ListCount(), 5);
    EXPECT_EQ(mail->ListIndex(), 0);
    const char* texts[] = {"Apple Mail", "Microsoft Entourage", "Bare Bones Mailsmith", "Eudora", "GyazMail"};
    const char* tags[] = {"Mail", "Entourage", "Mailsmith", "Eudora", "GyazMail"};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(mail->List(row), texts[row]);
        EXPECT_EQ(mail->RowTag(row).value_or("<nil>"), tags[row]);
    }
}

TEST_F(StamporaTest, CaptionIsFocusedAndWhollySelected) {
    auto caption = window->textField();
    EXPECT_TRUE(caption->HasFocus());
    EXPECT_EQ(caption->SelStart(), 0);
    EXPECT_EQ(caption->SelLength(), static_cast<int>(std::strlen("Type Your Message Here")));
    // The first keystroke replaces the default caption.
    QTest::keyClicks(caption->Widget(), "H");
    EXPECT_EQ(caption->Text(), "H");
}

TEST_F(StamporaTest, TabOrderOfTheComposerFollowsTabIndex) {
    const std::vector<QWidget*> composer = {
        window->textField()->Widget(),     window->DisplayArea()->Widget(),
        window->SaveButton()->Widget(),    window->eMailApplication()->Widget(),
        window->textTypeFace()->Widget(),  window->textSizeField()->Widget()};
    std::vector<QWidget*> seen;
    QWidget* w = composer.front();
    for (int step = 0; step < 200 && seen.size() < composer.size(); ++step, w = w->nextInFocusChain()) {
        const bool isComposer = std::find(composer.begin(), composer.end(), w) != composer.end();
        if (isComposer && std::find(seen.begin(), seen.end(), w) == seen.end()) seen.push_back(w);
    }
    EXPECT_EQ(seen, composer);
}

TEST_F(StamporaTest, WindowMenuItemIsNamedAfterTheTitle) {
    EXPECT_EQ(window->WindowMenuItem(0)->Text(), "Quorvine's Stampora");
}

TEST_F(StamporaTest, OpeningSetsTheModelOfAnEmptyCard) {
    ASSERT_TRUE(window->imageOffset);
    EXPECT_EQ(window->imageOffset->Left(), 0);
    EXPECT_EQ(window->imageOffset->Right(), 0);
    EXPECT_FALSE(window->thePicture);
    EXPECT_FALSE(window->lastMouse);
    EXPECT_TRUE(window->PostMarkApply);
    EXPECT_FALSE(window->ScaleToFit);
    EXPECT_TRUE(window->Stamp);
    EXPECT_TRUE(window->PostMark);
}

TEST_F(StamporaTest, ChangingTheSizeOrTypefaceRerendersTheCard) {
    auto canvas = window->DisplayArea();
    window->UpdatePreview();
    const QImage before = canvas->BackingPicture()->Image().copy();
    auto* sizeEdit = static_cast<QComboBox*>(window->textSizeField()->Widget())->lineEdit();
    sizeEdit->selectAll();
    QTest::keyClicks(sizeEdit, "72");
    const QImage bigger = canvas->BackingPicture()->Image().copy();
    EXPECT_NE(before, bigger);
    static_cast<QComboBox*>(window->textSizeField()->Widget())->setEditText("24");
    EXPECT_EQ(canvas->BackingPicture()->Image(), before);
}

namespace {
float recordedBorders[4];
void* recordedWindow = nullptr;
int32_t RecordBorders(void* windowRef, const void* borders) {
    recordedWindow = windowRef;
    std::memcpy(recordedBorders, borders, sizeof recordedBorders);
    return 0;
}
} // namespace

class ContentBorderTest : public ::testing::Test {};

TEST_F(ContentBorderTest, AvailableFunctionGetsTheBandsAboveAndBelowTheCard) {
    fw::System::RegisterLibraryFunction("Carbon", "HIWindowSetContentBorderThickness",
                                        reinterpret_cast<void*>(&RecordBorders));
    fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
    if (!IMageFiles::pJpeg) IMageFiles::_Initialize();
    recordedWindow = nullptr;
    auto window = Stampora::Instance();
    fw::System::UnregisterLibraryFunction("Carbon", "HIWindowSetContentBorderThickness");
    EXPECT_EQ(recordedWindow, window->Widget());
    EXPECT_FLOAT_EQ(recordedBorders[0], 56.0f);
    EXPECT_FLOAT_EQ(recordedBorders[1], 0.0f);
    EXPECT_FLOAT_EQ(recordedBorders[2], 56.0f);
    EXPECT_FLOAT_EQ(recordedBorders[3], 0.0f);
    window.reset();
    fw::Runtime::ReleaseFrameworkLists();
}
