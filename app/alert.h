#pragma once
// Modal alerts. The message is a string of the string table; the presentation is pluggable: a
// line on standard error until the user interface installs its modal dialog.
#include "foundation/unistring.h"

#include <functional>

namespace vemoraVeriglow {

// Everything a presentation needs to show one standard alert.
struct AlertRequest {
    enum Kind { stop = 0, note = 1, caution = 2, plain = 3 };
    Kind kind = stop;
    vemora::UniString message;
    vemora::UniString explanation; // empty: none
    vemora::UniString buttons[3];  // default, cancel, other; an empty text means no such button
    int defaultButton = 1;         // 1 … 3
    int cancelButton = 0;          // 0: no button is marked as cancel
    bool movable = true;
    unsigned short position = 0xA80A; // centred on the parent window
};

// Shows the alert modally and answers which button was hit: 1, 2 or 3.
using AlertPresenter = std::function<int(const AlertRequest&)>;
void setAlertPresenter(AlertPresenter presenter);

class MacAlertBox {
public:
    MacAlertBox(const vemora::MacUniString& message, const vemora::MacUniString& explanation, long alertType,
                long buttonType);

    // 0 when the first button was hit, 1 for the second, 2 otherwise. `place`, when given,
    // receives the request that was shown.
    int doAlert(long returnType, const vemora::UniString& defaultText, const vemora::UniString& cancelText,
                const vemora::UniString& otherText, AlertRequest* place = nullptr) const;

private:
    vemora::MacUniString message_;
    vemora::MacUniString explanation_;
    long alertType_;
    long buttonType_;
};

// A caution alert with string `id` and one OK button.
void alert(long id);

} // namespace vemoraVeriglow
