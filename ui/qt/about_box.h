#pragma once

#include <QWidget>

namespace ui {

// The About box: a borderless top-level window without an owner that names the tool, says what
// it is for and gives a contact address. A click anywhere on it closes it.
class frmAbout final : public QWidget {
public:
    frmAbout();

protected:
    // Clicks on the labels reach here too: labels pass mouse events on to their parent.
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace ui
