// frmAbout: the modeless About dialog, and the host that keeps at most one of it.
#pragma once

#include <QDialog>
#include <QPointer>

#include "about/about.h"
#include "app/controls.h"
#include "app/layout.h"

class QLabel;
class QPushButton;

namespace quill::app::qt {

class FrmAbout : public QDialog {
    Q_OBJECT
  public:
    // Runs the load handler: the texts are built each time a dialog is created.
    explicit FrmAbout(const about::ApplicationInfo& info = {});

    QPushButton* cmdOK() const { return cmdOK_; }
    QLabel* label(app::layout::ControlId id) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void fitFont();
    bool textsFit() const;

    QPushButton* cmdOK_ = nullptr;
    QLabel* picIcon_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lContact_ = nullptr;
};

// Creates the dialog on first use and after it was closed; otherwise shows the one that is open.
// The dialog has no owner: it outlives the main window and is destroyed when it is closed.
class AboutHost : public app::AboutDialogHost {
  public:
    ~AboutHost() override = default;
    void showAbout() override;
    FrmAbout* dialog() const { return dialog_.data(); }

  private:
    QPointer<FrmAbout> dialog_;
};

}  // namespace quill::app::qt
