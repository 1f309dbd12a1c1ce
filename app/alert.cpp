#include "app/alert.h"

#include "app/string_table.h"

#include <cstdio>

namespace vemoraVeriglow {

using namespace vemora;

namespace {

AlertPresenter& presenter()
{
    static AlertPresenter p;
    return p;
}

// Without a user interface an alert is a line on standard error, answered by its default button.
int consoleAlert(const AlertRequest& r)
{
    std::fprintf(stderr, "veriglow: %s", r.message.toUTF8().c_str());
    if (!r.explanation.empty())
        std::fprintf(stderr, " (%s)", r.explanation.toUTF8().c_str());
    std::fprintf(stderr, "\n");
    return r.defaultButton;
}

UniString orDefault(const UniString& given, const char* fallback)
{
    return given.empty() ? UniString::fromUTF8(fallback) : given;
}

} // namespace

void setAlertPresenter(AlertPresenter p)
{
    presenter() = std::move(p);
}

MacAlertBox::MacAlertBox(const MacUniString& message, const MacUniString& explanation, long alertType,
                         long buttonType)
    : message_(message), explanation_(explanation), alertType_(alertType), buttonType_(buttonType)
{
}

int MacAlertBox::doAlert(long returnType, const UniString& defaultText, const UniString& cancelText,
                         const UniString& otherText, AlertRequest* place) const
{
    AlertRequest r;
    r.kind = alertType_ >= 0 && alertType_ <= 3 ? static_cast<AlertRequest::Kind>(alertType_) : AlertRequest::stop;
    r.message = message_;
    r.explanation = explanation_;
    switch (buttonType_) {
    case 1:
        r.buttons[0] = orDefault(defaultText, "OK");
        r.buttons[1] = orDefault(cancelText, "Cancel");
        break;
    case 2:
        r.buttons[0] = orDefault(defaultText, "Yes");
        r.buttons[1] = orDefault(cancelText, "No");
        break;
    case 3:
        r.buttons[0] = defaultText;
        r.buttons[1] = cancelText;
        r.buttons[2] = otherText;
        break;
    default:
        r.buttons[0] = orDefault(defaultText, "OK");
        break;
    }
    r.defaultButton = returnType == 0 ? 1 : returnType == 1 ? 2 : 3;
    r.cancelButton = 0;
    if (place)
        *place = r;
    const int hit = presenter() ? presenter()(r) : consoleAlert(r);
    return hit == 1 ? 0 : hit == 2 ? 1 : 2;
}

void alert(long id)
{
    MacAlertBox box(get_string_by_id(id), MacUniString(), 2, 0);
    box.doAlert(0, UniString(), UniString(), UniString());
}

} // namespace vemoraVeriglow
