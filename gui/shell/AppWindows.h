// The program's standing windows and the windows opened on demand: creates
// the reading window and the events side (messages, who is on, tray) for a
// running client, and opens writing, text-properties, search, marked-texts,
// conference-properties, statistics and settings windows when the menus,
// the reading window or the session ask for them.
#pragma once

#include "gui/config/ConfigForm.h"
#include "gui/common/MainCommands.h"
#include "gui/writing/WriteTextOpener.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>

class QWidget;

namespace pellar {

class AppController;
class DraftOffers;
struct Draft;
class EventsController;
class TConferenceAttributesForm;
class TFindTextForm;
class TReadArticleForm;
class TStatisticsForm;
class TTextRcptEditForm;
class TViewMarksForm;

class AppWindows : public QObject {
    Q_OBJECT

public:
    // The windows become children of app's main window. Destroy before app.
    explicit AppWindows(AppController& app, QObject* parent = nullptr);
    ~AppWindows() override;

    TReadArticleForm* Reading() const;
    EventsController& Events() { return *events_; }

    // --- Openers; each returns the new window, or null when nothing opened.
    TWriteTextForm* OpenWriting(TextCompositionMode mode, int32_t number, bool isPerson = false);
    TWriteTextForm* OpenDraft(const Draft& draft);
    DraftOffers& Drafts() { return *drafts_; }
    TTextRcptEditForm* OpenTextProperties(int32_t text);
    TFindTextForm* OpenFindText();
    TViewMarksForm* OpenMarkedTexts();
    TConferenceAttributesForm* OpenConferenceProperties(int32_t conf);
    TStatisticsForm* OpenStatistics();
    // The settings dialog on the current profile and the profile list; modal.
    void OpenSettings();
    void OpenProfiles();

    // The main-window commands that a window carries out.
    void RunWindowCommand(MainCommand command);
    // Disconnect closes the search and marked-texts windows, newest first.
    void CloseSearchAndMarks();
    // Brings the reading window to the front of the frame.
    void ShowReading();
    // A text chosen in the search or marked-texts window: shown, added to
    // the history, and the reading window comes to the front.
    void ShowTextInReading(int32_t text);

private:
    void WireReading();
    void WireEvents();
    bool Connected();
    WriteTextContext WritingContext();
    // What the settings dialog has the windows save and apply after it saved.
    WindowSettingsHooks SettingsHooks();
    // After a settings dialog: the session's instance rereads its profile.
    void ReloadSessionSettings();
    // The tray icon follows the profile's permanent-icon setting.
    void ApplyTraySettings();
    void UpdateUnreadCount();
    // Puts a marked-texts window into the frame or takes it out.
    void AttachWindow(QWidget* window, bool attached);
    void ShowInFrame(QWidget* window);

    AppController& app_;
    // The frame owns it; gone only when the frame goes.
    QPointer<TReadArticleForm> reading_;
    std::unique_ptr<EventsController> events_;
    DraftOffers* drafts_;
    QList<QPointer<QWidget>> searchAndMarks_;
};

} // namespace pellar
