#include "app/pointing_hand_icon.h"

#include <QPixmap>

#include "app/icon_16.xpm"
#include "app/icon_32.xpm"

namespace app {

QIcon pointingHandIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap(kHandPointingAtPages16));
    icon.addPixmap(QPixmap(kHandPointingAtPages32));
    return icon;
}

}  // namespace app
