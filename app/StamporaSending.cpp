#include "app/Stampora.h"

#include "app/App.h"
#include "framework/core/Exceptions.h"
#include "framework/core/System.h"
#include "framework/core/TextFunctions.h"
#include "framework/ui/UserInteraction.h"
#include "mail/CleanOnQuit.h"
#include "mail/FolderitemExtensions.h"

#include "framework/core/NumberRules.h"

std::string Stampora::kSentYouAZinglet() {
    return fw::System::_GetLocalizedString("Stampora.kSentYouAZinglet", "<name> has sent you a Zinglet");
}

void Stampora::SaveButton_Action() {
    // A mail program handed a missing or empty attachment fails in ways the user
    // cannot trace back here, so a card that cannot be written ends the send.
    std::string failure;
    auto f = CleanOnQuit::Child("Zinglet.jpg", &failure);
    if (f && f->Exists()) f->Delete();
    if (!f || !f->SaveAsJPEG(Generate(), &failure)) {
        fw::System::DebugLog("The card could not be written" + (f ? " to " + f->AbsolutePath() : std::string()) +
                             ": " + failure);
        fw::UserInteraction::Current().ShowMessage(this, "The card could not be written.\n" + failure);
        return;
    }

    auto mail = eMailApplication();
    fw::Deref(mail, "eMailApplication");
    const std::string program = mail->RowTag(mail->ListIndex()).value_or("");

    const std::string subject = fw::Replace(kSentYouAZinglet(), "<name>", App::Instance()->UserName(false));

    // Nothing else would tell the user that no e-mail was made, and the card would
    // seem sent; the row's text names the program as the user chose it.
    const std::string notHandedOver = FolderitemExtensions::SendViaEmail(f, program, subject, "");
    if (!notHandedOver.empty())
        fw::UserInteraction::Current().ShowMessage(
            this, "The card could not be handed to " + mail->List(mail->ListIndex()) + ".\n" + notHandedOver);
}

bool Stampora::eMailApplication_MouseDown(int, int) {
    auto mail = eMailApplication();
    fw::Deref(mail, "eMailApplication");
    auto base = std::make_shared<fw::MenuItem>();
    for (int i = 0; i < mail->ListCount(); ++i) {
        auto row = std::make_shared<fw::MenuItem>(mail->List(i));
        if (i == mail->ListIndex()) row->SetChecked(true);
        const std::string number = "000" + std::to_string(i);
        row->Tag = "m" + number.substr(number.size() - 3);
        base->Append(row);
    }
    base->Append(std::make_shared<fw::MenuItem>("-"));
    base->Append(FileSave());
    base->Append(std::make_shared<fw::MenuItem>("-"));
    base->Append(EditScaleToFit());
    base->Append(EditPostMark());
    base->Append(EditChooseStampImage());

    auto chosen = base->PopUp(mail->Left + Left(), mail->Top + Top());
    if (chosen && chosen->Tag && chosen->Tag->size() >= 1 && chosen->Tag->front() == 'm') {
        const std::string& tag = *chosen->Tag;
        const std::string digits = tag.size() >= 3 ? tag.substr(tag.size() - 3) : tag;
        mail->SetListIndex(static_cast<int>(fw::CDbl(digits)));
    }
    return true;
}
