#pragma once

#include <QDialog>
#include <QList>

#include <memory>
#include <string>
#include <vector>

#include "components/AnimationControl.h"
#include "platform/Services.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace app {

// The form ドライブ選択: the user picks a drive, the whole drive is searched for Agent
// character files ("*.acs"), and every file found replaces the program's character files as
// 1.bin, 2.bin, ... in the order found. The setup wizard shows it with exec(); the form closes
// itself when the user accepts that nothing was found or when the copy has finished.
//
// The replacement is a CharacterImport: a failed copy leaves the old files untouched, the form
// says so and returns to drive selection.
class DriveSelectForm : public QDialog {
public:
    enum class State { Selecting, Searching, NothingFound, Found, Copying, Closed };

    // Loads the form (Form_Load runs here). Both references must outlive the form.
    DriveSelectForm(platform::Services& services, AnimationControlFactory& clips,
                    QWidget* parent = nullptr);
    ~DriveSelectForm() override;

    void Form_Load();
    // Runs the whole search and copy; events are pumped inside. Does nothing unless the form
    // is selecting a drive, so a nested second click cannot start a second search.
    void ok_Click();

    State state() const { return m_state; }

    // Client-area heights in twips at rest and while working. The form's outer heights are 2430
    // and 3270 twips with a caption and fixed border of 345 twips; Qt sizes the client area.
    static constexpr int kRestHeightTwips = 2085;
    static constexpr int kBusyHeightTwips = 2925;
    static constexpr int kWidthTwips = 5730;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void setClientHeight(int twips);
    QRect twipsRect(int left, int top, int width, int height) const;
    void playClip(const char* name);
    void backToSelecting();
    void unload();
    // Copies `sources` in and swaps them for the old character files. Returns false, after
    // telling the user, when anything failed; the old files are then still in place.
    bool copyAll(const std::vector<std::string>& sources);
    void reportCopyFailure(const QString& detail);

    platform::Services& m_services;
    QList<platform::Drive> m_drives;
    State m_state = State::Selecting;
    bool m_closing = false;

    QComboBox* 選択ドライブ = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* ok = nullptr;
    std::unique_ptr<AnimationControl> avi;
    QLabel* sl = nullptr;
};

}  // namespace app
