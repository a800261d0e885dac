#pragma once

#include "core/Settings.h"
#include "core/SoundPlayer.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace zarvo {

// The "Parameters" page: the three chimes and the defaults of notifications. It works on copies
// of the settings: filled when the dialog opens, written back only by applyTo().
class CfgParamPage : public QWidget
{
    Q_OBJECT
public:
    enum Chime
    {
        Chime15,
        Chime30,
        Chime1h,
        ChimeCount
    };

    CfgParamPage(ISoundPlayer& sound, std::function<void(int, int)> speakTime, QWidget* parent = nullptr);

    void fill(const Settings& s);
    void applyTo(Settings& s) const;
    // "Start at login" is no setting: it shows what the autostart files say when the dialog
    // opens, and the dialog writes the choice on OK.
    void fillStartAtLogin(bool on);
    bool startAtLogin() const;
    // The enabling rules of the page, from the state of its boxes and radios.
    void applyRules();

private:
    struct ChimeControls
    {
        QCheckBox* check = nullptr;
        QRadioButton* sound = nullptr;
        QRadioButton* talk = nullptr;
        QLabel* fileLabel = nullptr;
        QLineEdit* file = nullptr;
        QToolButton* browse = nullptr;
        QToolButton* test = nullptr;
    };
    struct ChimeTexts
    {
        const char* check;
        const char* sound;
        const char* talk;
        const char* file;
        const char* names[7]; // check, sound radio, talk radio, edit, browse, test, label
    };

    QWidget* buildChime(Chime c, const ChimeTexts& t, QWidget* parent);
    void testChime(Chime c);
    void browseInto(QLineEdit* edit);

    ISoundPlayer& m_sound;
    std::function<void(int, int)> m_speakTime;
    std::array<ChimeControls, ChimeCount> m_chimes;
    QCheckBox* m_repeat = nullptr;
    QLabel* m_mainLabel = nullptr;
    QLineEdit* m_mainEdit = nullptr;
    QToolButton* m_mainButton = nullptr;
    QToolButton* m_mainTest = nullptr;
    QCheckBox* m_soundCheck = nullptr;
    QCheckBox* m_showCheck = nullptr;
    QCheckBox* m_deleteCheck = nullptr;
    QCheckBox* m_missedCheck = nullptr;
    QCheckBox* m_desktopNotifyCheck = nullptr;
    QCheckBox* m_loginCheck = nullptr;
};

} // namespace zarvo
