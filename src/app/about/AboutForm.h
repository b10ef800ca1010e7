#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <cstdint>

#include "platform/Services.h"

namespace app {

inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

// `frmAbout`: title, version and maker, and a button that starts the system-information
// program. Enter and Esc close it, as its OK button does.
class AboutForm final : public QDialog {
    Q_OBJECT
public:
    explicit AboutForm(platform::Services& services, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    // Reads a registry value into `text`: a string as is, a 32-bit number as "&h" + hex digits;
    // any other type leaves `text` as passed. Returns false, with `text` emptied, when the value
    // cannot be read.
    bool GetKeyValue(std::uint32_t root, const QString& keyName, const QString& valueName,
                     QString& text);

    QLabel* imgLogo;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* Label1;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;

private:
    platform::Services& m_services;
};

}  // namespace app
