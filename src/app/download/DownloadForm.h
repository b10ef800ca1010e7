#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "app/core/Module1.h"
#include "app/core/components/AnimationControl.h"
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
    DownloadForm(platform::Services& services, Module1& state, AnimationControlFactory& clips,
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
    // Shows `label` + "をダウンロード中です" and fetches the file into `path` from each of `urls`
    // in turn until one gives a complete file that `usable` accepts (the server tried goes to
    // the log). When none does, no file is left and one failure box is shown. The caller goes
    // on either way; returns true when the file is there.
    bool DownloadFile(const QStringList& urls, const QString& path, const QString& label,
                      const std::function<bool(const QString&)>& usable);
    // True when the file at `path` starts like a Windows program ("MZ").
    static bool isWindowsProgram(const QString& path);
    // Pointer back to normal, clip stopped; the clip stays visible.
    void endDownloading();
    void unload();

    platform::Services& m_services;
    Module1& m_state;
    QPushButton* dl;
    QPushButton* キャンセル;
    QLabel* sl;
    std::unique_ptr<AnimationControl> avi;

private:
    bool m_busy = false;
};

}  // namespace app
