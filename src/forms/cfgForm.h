#pragma once

#include "core/Clock.h"
#include "core/EvTable.h"
#include "core/Settings.h"
#include "core/SoundPlayer.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>
#include <memory>

class QPushButton;
class QTabWidget;

namespace zarvo {

class CfgConnectPage;
class CfgEventsPage;
class CfgParamPage;
class CfgStickerPage;
class Autostart;

// What the Properties dialog works with besides the settings it copies.
struct CfgServices
{
    EvTable& table;                          // edited live by the Events page
    ISoundPlayer& sound;                     // the Test buttons
    const IClock& clock;                     // "now" for a new event
    std::function<void(int, int)> speakTime; // the Talk tests speak 10:15, 10:30 and 10:00
    // Opens a help context; when empty, the program's help window shows it.
    std::function<void(int)> showHelp = {};
    // Starting at login; when null, the dialog uses the autostart folders of the environment.
    Autostart* autostart = nullptr;
};

// How the sticker note looks, for the preview on the Sticker page.
struct StickerLook
{
    QFont font;
    QColor textColor;
    QColor background;
};

// The Properties dialog. The Events page edits the table live; the other pages edit copies of
// the settings that applyTo() writes back after OK. Opening, saving and restoring the table are
// the owner's: it saves the backup before exec() and restores it unless the result is Accepted.
// Escape does not cancel (Cancel has no key); the close box does.
class TcfgForm : public QDialog
{
    Q_OBJECT
public:
    enum Page
    {
        EventsPage,
        ParamPage,
        StickerPage,
        ConnectPage
    };

    TcfgForm(const Settings& settings, const CfgServices& services, const StickerLook& sticker,
             QWidget* parent = nullptr);
    ~TcfgForm() override;

    // After OK: the pages' values into the settings (sticker, time server, mail, parameters).
    // Everything the dialog does not show is left alone.
    void applyTo(Settings& settings) const;

    // The Events page follows the table by itself, whoever changes it.
    void setStickerFont(const QFont& font);
    void setStickerFontColor(const QColor& color);
    void setStickerColor(const QColor& color);

    // The help context of the page shown.
    int helpContext() const;
    CfgEventsPage* eventsPage() const { return m_events; }

    // OK also writes or removes the user's autostart entry, when "Start at login" was changed.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void cfgHelpButtonClick();

    std::function<void(int)> m_showHelp;
    QTabWidget* m_pages = nullptr;
    CfgEventsPage* m_events = nullptr;
    CfgParamPage* m_params = nullptr;
    CfgStickerPage* m_sticker = nullptr;
    CfgConnectPage* m_connect = nullptr;
    bool m_columnsFitted = false;
    std::unique_ptr<Autostart> m_ownAutostart;
    Autostart* m_autostart = nullptr;
    bool m_startAtLoginWas = false;
};

} // namespace zarvo
