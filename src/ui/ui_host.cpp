// The button rules every host shares.
#include "ui/ui_host.h"

#include "ui/failure_text.h"

namespace lumo {

std::vector<MsgAnswer> ButtonAnswers(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkOnly:
        return {MsgAnswer::Ok};
    case MsgButtons::OkCancel:
        return {MsgAnswer::Ok, MsgAnswer::Cancel};
    case MsgButtons::AbortRetryIgnore:
        return {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore};
    case MsgButtons::YesNoCancel:
        return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    case MsgButtons::YesNo:
        return {MsgAnswer::Yes, MsgAnswer::No};
    case MsgButtons::RetryCancel:
        return {MsgAnswer::Retry, MsgAnswer::Cancel};
    }
    return {MsgAnswer::Ok};
}

MsgAnswer DefaultAnswer(const MessageBoxRequest& request) {
    std::vector<MsgAnswer> answers = ButtonAnswers(request.buttons);
    size_t at = static_cast<size_t>(request.defaultButton) / 256;
    return at < answers.size() ? answers[at] : answers.front();
}

std::optional<MsgAnswer> CancelAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkOnly:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        return MsgAnswer::Cancel;
    case MsgButtons::AbortRetryIgnore:
    case MsgButtons::YesNo:
        break;
    }
    return std::nullopt;
}

void UiHost::ShowFailure(const std::exception_ptr& error, const Form* owner) {
    ShowMessageBox(
        {FailureText(error), MsgButtons::OkOnly, MsgIcon::Exclamation, MsgDefault::Button1, "Sweepkit Lumo", owner});
}

}  // namespace lumo
