#include "stores/language_box.h"

#include "stores/language_file.h"

namespace LanguageBox {

MsgBoxResult show(int message, MsgBoxButtons buttons, MsgBoxIcon icon, const QString& detail) {
    const QString text =
        detail.isEmpty() ? gFctGetMessage(message) : gFctGetMessage(message) + u'\n' + detail;
    return showText(text, buttons, icon);
}

MsgBoxResult showText(const QString& text, MsgBoxButtons buttons, MsgBoxIcon icon) {
    return DialogSeam::messageBox(text, buttons, icon, gFctGetMessage(Msg::BoxTitle));
}

}  // namespace LanguageBox
