#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "app/core/SharedState.h"
#include "components/AnimationControl.h"
#include "platform/Services.h"

class QLabel;
class QPushButton;
class QCloseEvent;

namespace app {

// What the two download forms share: the buttons `dl` and `キャンセル`, the status line `sl`, the
// progress clip `avi`, the confirmation that starts a download and the routine DownloadFile.
// The form is modal; "unloading" it ends its exec(). While a download runs the form cannot be
// closed (no button, Escape and the window's close box are ignored), as the work cannot be
// stopped half-way.
class DownloadForm : public QDialog {
public:
    DownloadForm(platform::Services& services, SharedState& state, AnimationControlFactory& clips,
                 const QString& objectName);
    ~DownloadForm() override;

    // Unloads the form; nothing is deleted or downloaded.
    void キャンセル_Click();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // Lays the form out: `top` (the form's own controls) above the clip, the status line and
    // the two buttons.
    void arrange(const QList<QWidget*>& top);

    // Deletes old installers and asks whether to go on. On No the program ends and false is
    // returned; the caller must return at once.
    bool confirmDownload();
    // The first steps of a confirmed download: busy pointer, buttons hidden, clip playing.
    void beginDownloading();
    // Shows `label` + "をダウンロード中です", fetches `url` into `path` and reports a failure
    // with a message box. The caller goes on either way.
    void DownloadFile(QString url, QString& path, QString& label);
    // Pointer back to normal, clip stopped; the clip stays visible.
    void endDownloading();
    void unload();

    platform::Services& m_services;
    SharedState& m_state;
    QPushButton* dl;
    QPushButton* キャンセル;
    QLabel* sl;
    std::unique_ptr<AnimationControl> avi;

private:
    bool m_busy = false;
};

}  // namespace app
