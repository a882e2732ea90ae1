<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QObject</name>
    <message>
        <source>Complete the name</source>
        <translation>Namen vervollständigen</translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>More commands</source>
        <translation>Weitere Befehle</translation>
    </message>
</context>
<context>
    <name>pellar::TActiveUsersForm</name>
    <message>
        <source>Active users</source>
        <translation>Aktive Benutzer</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Anheften</translation>
    </message>
    <message>
        <source>&amp;Refresh all</source>
        <translation>Alles &amp;aktualisieren</translation>
    </message>
    <message>
        <source>&amp;Instant update</source>
        <translation>&amp;Sofort aktualisieren</translation>
    </message>
    <message>
        <source>&amp;User list</source>
        <translation>&amp;Benutzerliste</translation>
    </message>
    <message>
        <source>Complete update</source>
        <translation>Vollständige Aktualisierung</translation>
    </message>
    <message>
        <source>Instantly track events</source>
        <translation>Ereignisse sofort verfolgen</translation>
    </message>
    <message>
        <source>Session</source>
        <translation>Sitzung</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Conference</source>
        <translation>Konferenz</translation>
    </message>
    <message>
        <source>Activity</source>
        <translation>Tätigkeit</translation>
    </message>
    <message>
        <source>Idle (min)</source>
        <translation>Untätig (min)</translation>
    </message>
    <message>
        <source>Client</source>
        <translation>Client</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Rechner</translation>
    </message>
    <message>
        <source>Ident</source>
        <translation>Ident</translation>
    </message>
    <message>
        <source>&amp;Send message</source>
        <translation>Nachricht &amp;senden</translation>
    </message>
    <message>
        <source>&amp;View presentation</source>
        <translation>&amp;Vorstellung anzeigen</translation>
    </message>
</context>
<context>
    <name>pellar::TArticleViewForm</name>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>pellar::TChangePasswordForm</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Change password</source>
        <translation>Passwort ändern</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Old pwd:</source>
        <translation>&amp;Altes Passwort:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>&amp;Confirm pwd:</source>
        <translation>Passwort &amp;bestätigen:</translation>
    </message>
</context>
<context>
    <name>pellar::TChooseNameForm</name>
    <message>
        <source>Matching names</source>
        <translation>Passende Namen</translation>
    </message>
</context>
<context>
    <name>pellar::TConfMemberForm</name>
    <message>
        <source>Conference</source>
        <translation>Konferenz</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
</context>
<context>
    <name>pellar::TConferenceAttributesForm</name>
    <message>
        <source>Super conf</source>
        <translation>Überkonferenz</translation>
    </message>
    <message>
        <source>Supervisor</source>
        <translation>Verwalter</translation>
    </message>
</context>
<context>
    <name>pellar::TConfigForm</name>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Font sample</source>
        <translation>Schriftprobe</translation>
    </message>
    <message>
        <source>Activity messages</source>
        <translation>Tätigkeitsmeldungen</translation>
    </message>
    <message>
        <source>Keyboard commands</source>
        <translation>Tastaturbefehle</translation>
    </message>
    <message>
        <source>Key seq</source>
        <translation>Tastenfolge</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
</context>
<context>
    <name>pellar::TConnectingForm</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>pellar::TFindTextForm</name>
    <message>
        <source>Find texts</source>
        <translation>Texte suchen</translation>
    </message>
    <message>
        <source>Texts found</source>
        <translation>Gefundene Texte</translation>
    </message>
    <message>
        <source>Complete the recipient</source>
        <translation>Empfänger vervollständigen</translation>
    </message>
    <message>
        <source>Complete the author</source>
        <translation>Verfasser vervollständigen</translation>
    </message>
    <message>
        <source>Subj</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Body</source>
        <translation>Inhalt</translation>
    </message>
</context>
<context>
    <name>pellar::TGetNameForm</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>pellar::THelpWindow</name>
    <message>
        <source>Pellar help</source>
        <translation>Pellar-Hilfe</translation>
    </message>
</context>
<context>
    <name>pellar::TLoginForm</name>
    <message>
        <source>Login</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>&amp;Encrypted connection (TLS)</source>
        <translation>&amp;Verschlüsselte Verbindung (TLS)</translation>
    </message>
    <message>
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>&amp;Rechner:</translation>
    </message>
    <message>
        <source>P&amp;ort:</source>
        <translation>P&amp;ort:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>Create &amp;account...</source>
        <translation>&amp;Konto anlegen...</translation>
    </message>
    <message>
        <source>Create a new person with the name above on this server</source>
        <translation>Eine neue Person mit dem Namen oben auf diesem Server anlegen</translation>
    </message>
</context>
<context>
    <name>pellar::TMainMenus</name>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>Connect to a server</source>
        <translation>Mit einem Server verbinden</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>&amp;Trennen</translation>
    </message>
    <message>
        <source>Disconnect from the server</source>
        <translation>Vom Server trennen</translation>
    </message>
    <message>
        <source>&amp;Find text...</source>
        <translation>Text &amp;suchen...</translation>
    </message>
    <message>
        <source>View &amp;marked texts</source>
        <translation>&amp;Markierte Texte anzeigen</translation>
    </message>
    <message>
        <source>Text &amp;properties</source>
        <translation>Text&amp;eigenschaften</translation>
    </message>
    <message>
        <source>&amp;Session</source>
        <translation>&amp;Sitzung</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>O&amp;nline</source>
        <translation>O&amp;nline</translation>
    </message>
    <message>
        <source>Enable admin &amp;privileges</source>
        <translation>Administrator&amp;rechte einschalten</translation>
    </message>
    <message>
        <source>&amp;Synchronize the database</source>
        <translation>Datenbank &amp;synchronisieren</translation>
    </message>
    <message>
        <source>&amp;Clear caches...</source>
        <translation>Zwischenspeicher &amp;leeren...</translation>
    </message>
    <message>
        <source>&amp;Texts</source>
        <translation>&amp;Texte</translation>
    </message>
    <message>
        <source>&amp;Conferences</source>
        <translation>&amp;Konferenzen</translation>
    </message>
    <message>
        <source>Create &amp;new...</source>
        <translation>&amp;Neu anlegen...</translation>
    </message>
    <message>
        <source>&amp;Delete existing...</source>
        <translation>Vorhandene &amp;löschen...</translation>
    </message>
    <message>
        <source>&amp;Rename...</source>
        <translation>&amp;Umbenennen...</translation>
    </message>
    <message>
        <source>&amp;Edit properties...</source>
        <translation>&amp;Eigenschaften bearbeiten...</translation>
    </message>
    <message>
        <source>Change &amp;presentation...</source>
        <translation>&amp;Vorstellung ändern...</translation>
    </message>
    <message>
        <source>&amp;View presentation...</source>
        <translation>Vorstellung &amp;anzeigen...</translation>
    </message>
    <message>
        <source>Set &amp;Message Of The Day...</source>
        <translation>Nachricht des &amp;Tages setzen...</translation>
    </message>
    <message>
        <source>Remove MO&amp;TD...</source>
        <translation>Nachricht des Tages ent&amp;fernen...</translation>
    </message>
    <message>
        <source>View &amp;statistics...</source>
        <translation>&amp;Statistik anzeigen...</translation>
    </message>
    <message>
        <source>Set &amp;priorities</source>
        <translation>&amp;Prioritäten setzen</translation>
    </message>
    <message>
        <source>&amp;Add member...</source>
        <translation>&amp;Mitglied hinzufügen...</translation>
    </message>
    <message>
        <source>Re&amp;move member...</source>
        <translation>Mitglied entfe&amp;rnen...</translation>
    </message>
    <message>
        <source>&amp;Users</source>
        <translation>&amp;Benutzer</translation>
    </message>
    <message>
        <source>Change &amp;password...</source>
        <translation>&amp;Passwort ändern...</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Settings...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>S&amp;ervers...</source>
        <translation>Se&amp;rver...</translation>
    </message>
    <message>
        <source>&amp;Windows</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Index</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>Help on this &amp;window</source>
        <translation>Hilfe zu diesem &amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Quick help</source>
        <translation>&amp;Kurzhilfe</translation>
    </message>
    <message>
        <source>&amp;Statistics...</source>
        <translation>&amp;Statistik...</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber Pellar</translation>
    </message>
</context>
<context>
    <name>pellar::TMessagesForm</name>
    <message>
        <source>Send message</source>
        <translation>Nachricht senden</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Anheften</translation>
    </message>
    <message>
        <source>&amp;Send message</source>
        <translation>Nachricht &amp;senden</translation>
    </message>
    <message>
        <source>&amp;Chat...</source>
        <translation>&amp;Chat...</translation>
    </message>
    <message>
        <source>Go &amp;offline</source>
        <translation>&amp;Abwesend</translation>
    </message>
    <message>
        <source>&amp;Messages</source>
        <translation>&amp;Nachrichten</translation>
    </message>
    <message>
        <source>&amp;Keep messages between runs</source>
        <translation>Nachrichten zwischen den Starts &amp;behalten</translation>
    </message>
    <message>
        <source>Keep the last 1000 messages of this profile for the next start</source>
        <translation>Die letzten 1000 Nachrichten dieses Profils für den nächsten Start behalten</translation>
    </message>
    <message>
        <source>C&amp;lear messages</source>
        <translation>Nachrichten &amp;leeren</translation>
    </message>
    <message>
        <source>Empty this log and forget the kept messages</source>
        <translation>Dieses Protokoll leeren und die behaltenen Nachrichten vergessen</translation>
    </message>
    <message>
        <source>To &amp;everyone</source>
        <translation>An &amp;alle</translation>
    </message>
    <message>
        <source>Send the message to everyone?</source>
        <translation>Die Nachricht an alle senden?</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>An:</translation>
    </message>
    <message>
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Nachrichten</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>The message to send</source>
        <translation>Die zu sendende Nachricht</translation>
    </message>
    <message>
        <source>Complete the name</source>
        <translation>Namen vervollständigen</translation>
    </message>
</context>
<context>
    <name>pellar::TMiravoCompletionEdit</name>
    <message>
        <source>Ctrl+K completes the name, Ctrl+N takes it as a number</source>
        <translation>Strg+K vervollständigt den Namen, Strg+N nimmt ihn als Nummer</translation>
    </message>
</context>
<context>
    <name>pellar::TNewUserForm</name>
    <message>
        <source>New account</source>
        <translation>Neues Konto</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>&amp;Confirm pwd:</source>
        <translation>Passwort &amp;bestätigen:</translation>
    </message>
</context>
<context>
    <name>pellar::TNoteOnDoorForm</name>
    <message>
        <source>Message of the day</source>
        <translation>Nachricht des Tages</translation>
    </message>
</context>
<context>
    <name>pellar::TOfflineMessageForm</name>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>The reply sent to messages while you are away</source>
        <translation>Die Antwort auf Nachrichten, während Sie abwesend sind</translation>
    </message>
</context>
<context>
    <name>pellar::TQuickHelpForm</name>
    <message>
        <source>Quick help</source>
        <translation>Kurzhilfe</translation>
    </message>
</context>
<context>
    <name>pellar::TReadArticleActions</name>
    <message>
        <source>&amp;Read next text</source>
        <translation>Nächsten Text &amp;lesen</translation>
    </message>
    <message>
        <source>Read &amp;previous</source>
        <translation>&amp;Vorherigen lesen</translation>
    </message>
    <message>
        <source>Read commented text</source>
        <translation>Kommentierten Text lesen</translation>
    </message>
    <message>
        <source>View &amp;previous text</source>
        <translation>&amp;Vorherigen Text anzeigen</translation>
    </message>
    <message>
        <source>View &amp;next text</source>
        <translation>&amp;Nächsten Text anzeigen</translation>
    </message>
    <message>
        <source>Read r&amp;oot text</source>
        <translation>&amp;Wurzeltext lesen</translation>
    </message>
    <message>
        <source>Read global text &amp;no...</source>
        <translation>Text &amp;Nr. lesen...</translation>
    </message>
    <message>
        <source>&amp;Skip over comments</source>
        <translation>Kommentare &amp;überspringen</translation>
    </message>
    <message>
        <source>Write new text</source>
        <translation>Neuen Text schreiben</translation>
    </message>
    <message>
        <source>Write letter</source>
        <translation>Brief schreiben</translation>
    </message>
    <message>
        <source>Follow up text</source>
        <translation>Text kommentieren</translation>
    </message>
    <message>
        <source>Private reply to text</source>
        <translation>Persönliche Antwort auf den Text</translation>
    </message>
    <message>
        <source>Add footnote</source>
        <translation>Fußnote hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Re&amp;format text</source>
        <translation>Text neu &amp;umbrechen</translation>
    </message>
    <message>
        <source>&amp;Pin read window</source>
        <translation>Lesefenster &amp;anheften</translation>
    </message>
    <message>
        <source>&amp;Join conference...</source>
        <translation>Konferenz &amp;beitreten...</translation>
    </message>
    <message>
        <source>&amp;Leave conference...</source>
        <translation>Konferenz &amp;verlassen...</translation>
    </message>
    <message>
        <source>R&amp;ead only the # last texts...</source>
        <translation>Nur die letzten # Texte l&amp;esen...</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Set priority</source>
        <translation>&amp;Priorität setzen</translation>
    </message>
    <message>
        <source>Send &amp;message</source>
        <translation>&amp;Nachricht senden</translation>
    </message>
    <message>
        <source>&amp;View presentation</source>
        <translation>&amp;Vorstellung anzeigen</translation>
    </message>
    <message>
        <source>&amp;Unsubscribe</source>
        <translation>&amp;Abmelden</translation>
    </message>
    <message>
        <source>Show &amp;entire membership</source>
        <translation>&amp;Alle Mitgliedschaften zeigen</translation>
    </message>
    <message>
        <source>&amp;Read text</source>
        <translation>Text &amp;lesen</translation>
    </message>
    <message>
        <source>&amp;Mark tree as read</source>
        <translation>Baum als gelesen &amp;markieren</translation>
    </message>
    <message>
        <source>&amp;Commands</source>
        <translation>&amp;Befehle</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Lesen</translation>
    </message>
</context>
<context>
    <name>pellar::TReadArticleForm</name>
    <message>
        <source>Conferences</source>
        <translation>Konferenzen</translation>
    </message>
    <message>
        <source>Your conferences with the number of unread texts in each</source>
        <translation>Ihre Konferenzen mit der Zahl ungelesener Texte in jeder</translation>
    </message>
    <message>
        <source>Subjects</source>
        <translation>Betreffe</translation>
    </message>
    <message>
        <source>The texts of the conference by subject, comments under what they comment</source>
        <translation>Die Texte der Konferenz nach Betreff, Kommentare unter dem, was sie kommentieren</translation>
    </message>
    <message>
        <source>Commented text</source>
        <translation>Kommentierter Text</translation>
    </message>
</context>
<context>
    <name>pellar::TTextRcptEditForm</name>
    <message>
        <source>Text properties</source>
        <translation>Texteigenschaften</translation>
    </message>
    <message>
        <source>Aux info</source>
        <translation>Zusatzangaben</translation>
    </message>
    <message>
        <source>Conference or mailbox</source>
        <translation>Konferenz oder Briefkasten</translation>
    </message>
</context>
<context>
    <name>pellar::TViewMarksForm</name>
    <message>
        <source>Marked texts</source>
        <translation>Markierte Texte</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>pellar::TWriteTextForm</name>
    <message>
        <source>Recipients</source>
        <translation>Empfänger</translation>
    </message>
    <message>
        <source>Recipients, copies and the texts this one comments</source>
        <translation>Empfänger, Kopien und die Texte, die dieser kommentiert</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
</context>
</TS>
