#include "ui/qt/pointing_hand_icon.h"

#include <QPixmap>

#include "ui/qt/icon_16.xpm"
#include "ui/qt/icon_32.xpm"

namespace ui {

QIcon pointingHandIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(kHandPointingAtPages16));
    icon.addPixmap(QPixmap(kHandPointingAtPages32));
    return icon;
}

}  // namespace ui
