<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CoreTexts</name>
    <message>
        <source>Not connected.</source>
        <translation>Nicht verbunden.</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>Verbinden...</translation>
    </message>
    <message>
        <source>Waiting for initial negotiation...</source>
        <translation>Warten auf die Begrüßung des Servers...</translation>
    </message>
    <message>
        <source>Not connected: the logon was cancelled.</source>
        <translation>Nicht verbunden: die Anmeldung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Failed to connect: the server closed the connection before greeting.</source>
        <translation>Verbindung fehlgeschlagen: der Server hat die Verbindung vor seiner Begrüßung geschlossen.</translation>
    </message>
    <message>
        <source>Failed to connect: the server closed the connection before greeting. If it only serves encrypted connections, turn on &quot;Encrypted connection (TLS)&quot; and use its TLS port.</source>
        <translation>Verbindung fehlgeschlagen: der Server hat die Verbindung vor seiner Begrüßung geschlossen. Wenn er nur verschlüsselte Verbindungen annimmt, schalten Sie „Verschlüsselte Verbindung (TLS)“ ein und verwenden Sie seinen TLS-Port.</translation>
    </message>
    <message>
        <source>The server did not answer (%1)</source>
        <translation>Der Server hat nicht geantwortet (%1)</translation>
    </message>
    <message>
        <source>The server did not answer (%1).</source>
        <translation>Der Server hat nicht geantwortet (%1).</translation>
    </message>
    <message>
        <source>Loading the conference list</source>
        <translation>Konferenzliste wird geladen</translation>
    </message>
    <message>
        <source>No greeting from %1.</source>
        <translation>Keine Begrüßung von %1.</translation>
    </message>
    <message>
        <source>The server refused the logon: %1</source>
        <translation>Der Server hat die Anmeldung abgelehnt: %1</translation>
    </message>
    <message>
        <source>The server did not answer the logon (%1).</source>
        <translation>Der Server hat auf die Anmeldung nicht geantwortet (%1).</translation>
    </message>
    <message>
        <source>Failed to connect: %1</source>
        <translation>Verbindung fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Waiting for %1 to answer...</source>
        <translation>Warten auf die Antwort von %1...</translation>
    </message>
    <message>
        <source>Retrieving server info</source>
        <translation>Serverangaben werden abgerufen</translation>
    </message>
    <message>
        <source>Fetching user number</source>
        <translation>Personennummer wird abgerufen</translation>
    </message>
    <message>
        <source>Logging on</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Retrieving membership info</source>
        <translation>Mitgliedschaften werden abgerufen</translation>
    </message>
    <message>
        <source>Logging off</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>There is already a person &quot;%1&quot; on %2. Log on as that person?</source>
        <translation>Es gibt bereits eine Person „%1“ auf %2. Als diese Person anmelden?</translation>
    </message>
    <message>
        <source>Unable to find this user (&quot;%1&quot; on %2). Do you want to create a new account?</source>
        <translation>Diese Person wurde nicht gefunden („%1“ auf %2). Möchten Sie ein neues Konto anlegen?</translation>
    </message>
    <message>
        <source>Waiting for the server&apos;s last answers before logging off...</source>
        <translation>Warten auf die letzten Antworten des Servers vor dem Abmelden...</translation>
    </message>
    <message>
        <source>Waiting for %1...</source>
        <translation>Warten auf %1...</translation>
    </message>
    <message>
        <source>Client info</source>
        <translation>Programmangaben</translation>
    </message>
    <message>
        <source>Get server info</source>
        <translation>Serverangaben abrufen</translation>
    </message>
    <message>
        <source>Get server version info</source>
        <translation>Serverversion abrufen</translation>
    </message>
    <message>
        <source>Get the time</source>
        <translation>Uhrzeit abrufen</translation>
    </message>
    <message>
        <source>Change conference</source>
        <translation>Konferenz wechseln</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>Could not connect to %1 port %2: %3.</source>
        <translation>Keine Verbindung zu %1, Port %2: %3.</translation>
    </message>
    <message>
        <source>Could not connect to %1 port %2 through the proxy %3 port %4: %5.</source>
        <translation>Keine Verbindung zu %1, Port %2 über den Proxy %3, Port %4: %5.</translation>
    </message>
    <message>
        <source>Could not connect to %1 port %2: the connection was made but no Miravo server greeted in time; it may be the wrong port.</source>
        <translation>Keine Verbindung zu %1, Port %2: die Verbindung stand, aber kein Miravo-Server hat rechtzeitig begrüßt; vielleicht ist es der falsche Port.</translation>
    </message>
    <message>
        <source>Failed to connect due to a timeout.</source>
        <translation>Verbindung wegen Zeitüberschreitung fehlgeschlagen.</translation>
    </message>
    <message>
        <source>(no host given)</source>
        <translation>(kein Rechner angegeben)</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(keiner)</translation>
    </message>
    <message>
        <source>nothing accepts connections on that port; the server may not be running</source>
        <translation>auf diesem Port nimmt niemand Verbindungen an; der Server läuft vielleicht nicht</translation>
    </message>
    <message>
        <source>there was no answer in time</source>
        <translation>es kam keine rechtzeitige Antwort</translation>
    </message>
    <message>
        <source>the host is down</source>
        <translation>der Rechner ist nicht in Betrieb</translation>
    </message>
    <message>
        <source>the host cannot be reached from this network</source>
        <translation>der Rechner ist aus diesem Netz nicht erreichbar</translation>
    </message>
    <message>
        <source>that address cannot be used from this computer</source>
        <translation>diese Adresse kann von diesem Computer aus nicht verwendet werden</translation>
    </message>
    <message>
        <source>no host of that name was found</source>
        <translation>kein Rechner dieses Namens gefunden</translation>
    </message>
    <message>
        <source>the name could not be looked up just now; try again later</source>
        <translation>der Name konnte gerade nicht aufgelöst werden; versuchen Sie es später noch einmal</translation>
    </message>
    <message>
        <source>the connection was closed at once</source>
        <translation>die Verbindung wurde sofort geschlossen</translation>
    </message>
    <message>
        <source>the connection failed</source>
        <translation>die Verbindung ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unknown error (%1)</source>
        <translation>Unbekannter Fehler (%1)</translation>
    </message>
    <message>
        <source>The server&apos;s reply could not be read</source>
        <translation>Die Antwort des Servers war nicht lesbar</translation>
    </message>
    <message>
        <source>No reply from the server</source>
        <translation>Keine Antwort vom Server</translation>
    </message>
    <message>
        <source>The server refused the request</source>
        <translation>Der Server hat die Anfrage abgelehnt</translation>
    </message>
    <message>
        <source>Text %1 could not be shown: the server&apos;s reply could not be read.</source>
        <translation>Text %1 kann nicht angezeigt werden: die Antwort des Servers war nicht lesbar.</translation>
    </message>
    <message>
        <source>Text %1 was not fetched: the wait for it was cancelled.</source>
        <translation>Text %1 wurde nicht abgerufen: das Warten darauf wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Text %1 could not be fetched: there is no connection to the server.</source>
        <translation>Text %1 kann nicht abgerufen werden: es besteht keine Verbindung zum Server.</translation>
    </message>
    <message>
        <source>No such text</source>
        <translation>Diesen Text gibt es nicht</translation>
    </message>
    <message>
        <source>User [%1] %2 wants read confirmation on this text</source>
        <translation>Person [%1] %2 möchte eine Lesebestätigung für diesen Text</translation>
    </message>
    <message>
        <source>Confirm?</source>
        <translation>Bestätigen?</translation>
    </message>
    <message>
        <source>Failed to add receipt confirmation</source>
        <translation>Die Lesebestätigung konnte nicht hinzugefügt werden</translation>
    </message>
    <message>
        <source>Waiting for the subject tree to stop...</source>
        <translation>Warten, bis der Betreffbaum anhält...</translation>
    </message>
    <message>
        <source>The time is now %1 (according to the server)</source>
        <translation>Es ist jetzt %1 (laut Server)</translation>
    </message>
    <message>
        <source>Loading conferences: %1 of %2</source>
        <translation>Konferenzen werden geladen: %1 von %2</translation>
    </message>
    <message>
        <source>other senders</source>
        <translation>anderen Absendern</translation>
    </message>
    <message>
        <source>Database is synchronizing.</source>
        <translation>Die Datenbank wird abgeglichen.</translation>
    </message>
    <message>
        <source>Miravo is full. Please log out if you are finished reading.</source>
        <translation>Miravo ist voll. Bitte melden Sie sich ab, wenn Sie mit dem Lesen fertig sind.</translation>
    </message>
    <message>
        <source>%1 logged in.</source>
        <translation>%1 hat sich angemeldet.</translation>
    </message>
    <message>
        <source>%1 logged off.</source>
        <translation>%1 hat sich abgemeldet.</translation>
    </message>
    <message>
        <source>You have created a new user. It is a good idea to have a presentation.</source>
        <translation>Sie haben eine neue Person angelegt. Eine Vorstellung ist eine gute Idee.</translation>
    </message>
    <message>
        <source>Would you like to write a presentation now?</source>
        <translation>Möchten Sie jetzt eine Vorstellung schreiben?</translation>
    </message>
    <message>
        <source>You are already a member of that conference</source>
        <translation>Sie sind bereits Mitglied dieser Konferenz</translation>
    </message>
    <message>
        <source>Failed to join the conference</source>
        <translation>Der Beitritt zur Konferenz ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Join conference</source>
        <translation>Konferenz beitreten</translation>
    </message>
    <message>
        <source>Leave conference</source>
        <translation>Konferenz verlassen</translation>
    </message>
    <message>
        <source>You are not a member of that conference.</source>
        <translation>Sie sind nicht Mitglied dieser Konferenz.</translation>
    </message>
    <message>
        <source>You are not a member of that conference</source>
        <translation>Sie sind nicht Mitglied dieser Konferenz</translation>
    </message>
    <message>
        <source>Command failed</source>
        <translation>Befehl fehlgeschlagen</translation>
    </message>
    <message>
        <source>Leave conference complete.</source>
        <translation>Sie haben die Konferenz verlassen.</translation>
    </message>
    <message>
        <source>Delete what conference or person?</source>
        <translation>Welche Konferenz oder Person löschen?</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Erledigt!</translation>
    </message>
    <message>
        <source>Change name on what conference or person?</source>
        <translation>Namen welcher Konferenz oder Person ändern?</translation>
    </message>
    <message>
        <source>Change conference name</source>
        <translation>Konferenznamen ändern</translation>
    </message>
    <message>
        <source>New name on the conference?</source>
        <translation>Neuer Name der Konferenz?</translation>
    </message>
    <message>
        <source>No matching names found</source>
        <translation>Keine passenden Namen gefunden</translation>
    </message>
    <message>
        <source>The new passwords do not match</source>
        <translation>Die neuen Passwörter stimmen nicht überein</translation>
    </message>
    <message>
        <source>Successfully changed password!</source>
        <translation>Passwort geändert!</translation>
    </message>
    <message>
        <source>The password does not match Confirm password</source>
        <translation>Das Passwort stimmt nicht mit der Bestätigung überein</translation>
    </message>
    <message>
        <source>Add member to conference</source>
        <translation>Mitglied zur Konferenz hinzufügen</translation>
    </message>
    <message>
        <source>Operation Add Member successful</source>
        <translation>Mitglied hinzugefügt</translation>
    </message>
    <message>
        <source>Remove member from conference</source>
        <translation>Mitglied aus der Konferenz entfernen</translation>
    </message>
    <message>
        <source>Operation Remove Member successful</source>
        <translation>Mitglied entfernt</translation>
    </message>
    <message>
        <source>Goto conference</source>
        <translation>Zur Konferenz gehen</translation>
    </message>
    <message>
        <source>View conference statistics</source>
        <translation>Konferenzstatistik anzeigen</translation>
    </message>
    <message>
        <source>View user statistics</source>
        <translation>Personenstatistik anzeigen</translation>
    </message>
    <message>
        <source>Enabling administrator flags failed</source>
        <translation>Die Verwalterrechte konnten nicht eingeschaltet werden</translation>
    </message>
    <message>
        <source>Conference to seek in is required</source>
        <translation>Eine Konferenz zum Durchsuchen muss angegeben sein</translation>
    </message>
    <message>
        <source>The subject pattern has a group that is never closed</source>
        <translation>Das Muster für den Betreff hat eine Gruppe, die nie geschlossen wird</translation>
    </message>
    <message>
        <source>The body pattern has a group that is never closed</source>
        <translation>Das Muster für den Inhalt hat eine Gruppe, die nie geschlossen wird</translation>
    </message>
    <message>
        <source>No texts found</source>
        <translation>Keine Texte gefunden</translation>
    </message>
    <message>
        <source>Stopped: %1</source>
        <translation>Angehalten: %1</translation>
    </message>
    <message>
        <source>Set unread in conference</source>
        <translation>Ungelesene in der Konferenz festlegen</translation>
    </message>
    <message>
        <source>Set unread texts</source>
        <translation>Ungelesene Texte festlegen</translation>
    </message>
    <message>
        <source>How many unread?</source>
        <translation>Wie viele ungelesen?</translation>
    </message>
    <message>
        <source>Not a valid number</source>
        <translation>Keine gültige Zahl</translation>
    </message>
    <message>
        <source>No such conference</source>
        <translation>Diese Konferenz gibt es nicht</translation>
    </message>
    <message>
        <source>Change presentation</source>
        <translation>Vorstellung ändern</translation>
    </message>
    <message>
        <source>Change Message Of The Day</source>
        <translation>Nachricht des Tages ändern</translation>
    </message>
    <message>
        <source>An error occurred while adding text as Message Of The Day.</source>
        <translation>Beim Festlegen des Textes als Nachricht des Tages ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>No current article available</source>
        <translation>Kein Text ausgewählt</translation>
    </message>
    <message>
        <source>Footnotes to texts can only be added by the author of the original message</source>
        <translation>Fußnoten zu einem Text kann nur sein Verfasser hinzufügen</translation>
    </message>
    <message>
        <source>Really trash this text?</source>
        <translation>Diesen Text wirklich verwerfen?</translation>
    </message>
    <message>
        <source>Not a valid text number</source>
        <translation>Keine gültige Textnummer</translation>
    </message>
    <message>
        <source>Really delete this entry?</source>
        <translation>Diesen Eintrag wirklich löschen?</translation>
    </message>
    <message>
        <source>User [%1] %2 does not want comments to the text</source>
        <translation>Person [%1] %2 möchte keine Kommentare zu dem Text</translation>
    </message>
    <message>
        <source>User [%1] %2 want only personal comments to the text</source>
        <translation>Person [%1] %2 möchte nur persönliche Kommentare zu dem Text</translation>
    </message>
    <message>
        <source>Continue?</source>
        <translation>Fortfahren?</translation>
    </message>
    <message>
        <source>An error occurred while adding text as presentation to conference.</source>
        <translation>Beim Festlegen des Textes als Vorstellung der Konferenz ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>Too many recipients and links: at most %1 can be sent.</source>
        <translation>Zu viele Empfänger und Verweise: höchstens %1 können gesendet werden.</translation>
    </message>
    <message>
        <source>No recipients! Do you really want to submit this message?</source>
        <translation>Keine Empfänger! Möchten Sie diesen Text wirklich abschicken?</translation>
    </message>
    <message>
        <source>An error occurred. The message was not submitted.</source>
        <translation>Ein Fehler ist aufgetreten. Der Text wurde nicht abgeschickt.</translation>
    </message>
    <message>
        <source>Text properties for text %1 by [%2] %3</source>
        <translation>Eigenschaften von Text %1 von [%2] %3</translation>
    </message>
    <message>
        <source>Invalid conference or user</source>
        <translation>Ungültige Konferenz oder Person</translation>
    </message>
    <message>
        <source>Invalid text number</source>
        <translation>Ungültige Textnummer</translation>
    </message>
    <message>
        <source>Recipient</source>
        <translation>Empfänger</translation>
    </message>
    <message>
        <source>Carbon copy</source>
        <translation>Kopie</translation>
    </message>
    <message>
        <source>Comment to</source>
        <translation>Kommentar zu</translation>
    </message>
    <message>
        <source>Footnote to</source>
        <translation>Fußnote zu</translation>
    </message>
    <message>
        <source>Presentation for</source>
        <translation>Vorstellung für</translation>
    </message>
    <message>
        <source>Message of the day for</source>
        <translation>Nachricht des Tages für</translation>
    </message>
    <message>
        <source>Only web, ftp, mail and news addresses can be opened</source>
        <translation>Nur Web-, FTP-, Mail- und News-Adressen können geöffnet werden</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Invalid user</source>
        <translation>Ungültige Person</translation>
    </message>
    <message>
        <source>Invalid conference</source>
        <translation>Ungültige Konferenz</translation>
    </message>
    <message>
        <source>Invalid user name</source>
        <translation>Ungültiger Personenname</translation>
    </message>
    <message>
        <source>The connection to the server was lost.</source>
        <translation>Die Verbindung zum Server ist abgerissen.</translation>
    </message>
    <message>
        <source>Always</source>
        <translation>Immer</translation>
    </message>
    <message>
        <source>Only the next texts to read</source>
        <translation>Nur die nächsten zu lesenden Texte</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>As the default profile</source>
        <translation>Wie im Standardprofil</translation>
    </message>
    <message>
        <source>The password is kept in the desktop&apos;s keyring.</source>
        <translation>Das Passwort liegt im Schlüsselbund der Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>The password is in the settings file, obscured but not encrypted; it moves into the desktop&apos;s keyring at the next logon.</source>
        <translation>Das Passwort steht verschleiert, aber unverschlüsselt in der Einstellungsdatei; bei der nächsten Anmeldung wandert es in den Schlüsselbund der Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>No keyring answers, so the password is kept in the settings file, obscured but not encrypted.</source>
        <translation>Kein Schlüsselbund antwortet, daher steht das Passwort verschleiert, aber unverschlüsselt in der Einstellungsdatei.</translation>
    </message>
    <message>
        <source>No password is saved. A saved password goes into the desktop&apos;s keyring.</source>
        <translation>Kein Passwort gespeichert. Ein gespeichertes Passwort kommt in den Schlüsselbund der Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>No password is saved. No keyring answers, so a saved password would be kept in the settings file, obscured but not encrypted.</source>
        <translation>Kein Passwort gespeichert. Kein Schlüsselbund antwortet, daher stünde ein gespeichertes Passwort verschleiert, aber unverschlüsselt in der Einstellungsdatei.</translation>
    </message>
    <message>
        <source>Wait for the server&apos;s answer (seconds)</source>
        <translation>Auf die Antwort des Servers warten (Sekunden)</translation>
    </message>
    <message>
        <source>Messages window keeps (lines)</source>
        <translation>Das Nachrichtenfenster behält (Zeilen)</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a whole number from %3 to %4. Leave it empty to follow the default profile.</source>
        <translation>%1: „%2“ ist keine ganze Zahl von %3 bis %4. Lassen Sie das Feld leer, um dem Standardprofil zu folgen.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a whole number from %3 to %4. Leave it empty for the program&apos;s default.</source>
        <translation>%1: „%2“ ist keine ganze Zahl von %3 bis %4. Lassen Sie das Feld leer für die Voreinstellung des Programms.</translation>
    </message>
    <message>
        <source>No error has occurred</source>
        <translation>Es ist kein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>Not implemented yet</source>
        <translation>Noch nicht verfügbar</translation>
    </message>
    <message>
        <source>No longer implemented</source>
        <translation>Nicht mehr verfügbar</translation>
    </message>
    <message>
        <source>Wrong or illegal password</source>
        <translation>Falsches oder ungültiges Passwort</translation>
    </message>
    <message>
        <source>String too long</source>
        <translation>Zeichenkette zu lang</translation>
    </message>
    <message>
        <source>Not logged in.</source>
        <translation>Nicht angemeldet.</translation>
    </message>
    <message>
        <source>System is in &quot;single-user mode&quot;</source>
        <translation>Das System ist im Einzelbenutzerbetrieb</translation>
    </message>
    <message>
        <source>Attempt to use conference number 0.</source>
        <translation>Versuch, die Konferenznummer 0 zu verwenden.</translation>
    </message>
    <message>
        <source>Undefined or secret conference</source>
        <translation>Unbekannte oder geheime Konferenz</translation>
    </message>
    <message>
        <source>Undefined or secret person</source>
        <translation>Unbekannte oder geheime Person</translation>
    </message>
    <message>
        <source>No &quot;read/write permission&quot;</source>
        <translation>Keine Lese- oder Schreibberechtigung</translation>
    </message>
    <message>
        <source>No permission</source>
        <translation>Keine Berechtigung</translation>
    </message>
    <message>
        <source>Not member in conf</source>
        <translation>Nicht Mitglied der Konferenz</translation>
    </message>
    <message>
        <source>No such global text-no, or no access</source>
        <translation>Diese globale Textnummer gibt es nicht, oder kein Zugriff</translation>
    </message>
    <message>
        <source>Can&apos;t use text no 0</source>
        <translation>Textnummer 0 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>No such local text-no</source>
        <translation>Diese lokale Textnummer gibt es nicht</translation>
    </message>
    <message>
        <source>Can&apos;t use local text no 0</source>
        <translation>Lokale Textnummer 0 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>Too short or too long or contains illegal chars</source>
        <translation>Zu kurz, zu lang oder mit ungültigen Zeichen</translation>
    </message>
    <message>
        <source>Index out of range.</source>
        <translation>Index außerhalb des Bereichs.</translation>
    </message>
    <message>
        <source>Already exists</source>
        <translation>Existiert bereits</translation>
    </message>
    <message>
        <source>Already exists </source>
        <translation>Existiert bereits </translation>
    </message>
    <message>
        <source>Cannot be secret and !rd-prot</source>
        <translation>Kann nicht geheim und zugleich nicht lesegeschützt sein</translation>
    </message>
    <message>
        <source>Cannot change letter-box flag</source>
        <translation>Die Briefkasten-Eigenschaft kann nicht geändert werden</translation>
    </message>
    <message>
        <source>Database is corrupted.</source>
        <translation>Die Datenbank ist beschädigt.</translation>
    </message>
    <message>
        <source>Illegal misc field.</source>
        <translation>Ungültiges Zusatzfeld.</translation>
    </message>
    <message>
        <source>Info-type parameter was illegal.</source>
        <translation>Ungültige Art der Angabe.</translation>
    </message>
    <message>
        <source>Already recipient to this text.</source>
        <translation>Bereits Empfänger dieses Textes.</translation>
    </message>
    <message>
        <source>Already comment to this text.</source>
        <translation>Bereits Kommentar zu diesem Text.</translation>
    </message>
    <message>
        <source>Already footnote to this text.</source>
        <translation>Bereits Fußnote zu diesem Text.</translation>
    </message>
    <message>
        <source>Not recipient</source>
        <translation>Kein Empfänger</translation>
    </message>
    <message>
        <source>Not comment to this text.</source>
        <translation>Kein Kommentar zu diesem Text.</translation>
    </message>
    <message>
        <source>Not footnote to this text.</source>
        <translation>Keine Fußnote zu diesem Text.</translation>
    </message>
    <message>
        <source>Too many recipients</source>
        <translation>Zu viele Empfänger</translation>
    </message>
    <message>
        <source>Too many comments</source>
        <translation>Zu viele Kommentare</translation>
    </message>
    <message>
        <source>Too many footnotes</source>
        <translation>Zu viele Fußnoten</translation>
    </message>
    <message>
        <source>Too many marks.</source>
        <translation>Zu viele Markierungen.</translation>
    </message>
    <message>
        <source>Only the author may add footnotes or delete texts.</source>
        <translation>Nur der Verfasser darf Fußnoten hinzufügen oder Texte löschen.</translation>
    </message>
    <message>
        <source>Can&apos;t connect to specified server</source>
        <translation>Keine Verbindung zum angegebenen Server möglich</translation>
    </message>
    <message>
        <source>Couldn&apos;t get memory for result</source>
        <translation>Kein Speicher für das Ergebnis</translation>
    </message>
    <message>
        <source>Client can&apos;t understand server</source>
        <translation>Das Programm versteht den Server nicht</translation>
    </message>
    <message>
        <source>Client thinks that server says it can&apos;t understand client.</source>
        <translation>Der Server meldet offenbar, dass er das Programm nicht versteht.</translation>
    </message>
    <message>
        <source>This session doesn&apos;t exist</source>
        <translation>Diese Sitzung gibt es nicht</translation>
    </message>
    <message>
        <source>Regexp compilation failed</source>
        <translation>Der reguläre Ausdruck ist fehlerhaft</translation>
    </message>
    <message>
        <source>Attempt to unmark an unmarked text</source>
        <translation>Versuch, die Markierung eines nicht markierten Textes zu entfernen</translation>
    </message>
    <message>
        <source>Temporary failure.  Try again later</source>
        <translation>Vorübergehender Fehler. Versuchen Sie es später noch einmal</translation>
    </message>
    <message>
        <source>An array sent to the server was too big.</source>
        <translation>Eine an den Server gesandte Liste war zu groß.</translation>
    </message>
    <message>
        <source>Anonymous text not allowed in conference.</source>
        <translation>Anonyme Texte sind in dieser Konferenz nicht erlaubt.</translation>
    </message>
    <message numerus="yes">
        <source>%n text(s) found</source>
        <translation>
            <numerusform>%n Text gefunden</numerusform>
            <numerusform>%n Texte gefunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1. %n text(s) too long or too complex to search with this pattern</source>
        <translation>
            <numerusform>%1. %n Text war zu lang oder zu verwickelt, um ihn mit diesem Muster zu durchsuchen</numerusform>
            <numerusform>%1. %n Texte waren zu lang oder zu verwickelt, um sie mit diesem Muster zu durchsuchen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>*** %n message(s) from %1 to everyone dropped: they came faster than they could be shown.</source>
        <translation>
            <numerusform>*** %n Nachricht von %1 an alle wurde verworfen: sie kamen schneller, als sie angezeigt werden konnten.</numerusform>
            <numerusform>*** %n Nachrichten von %1 an alle wurden verworfen: sie kamen schneller, als sie angezeigt werden konnten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>*** %n message(s) from %1 dropped: they came faster than they could be shown.</source>
        <translation>
            <numerusform>*** %n Nachricht von %1 wurde verworfen: sie kamen schneller, als sie angezeigt werden konnten.</numerusform>
            <numerusform>*** %n Nachrichten von %1 wurden verworfen: sie kamen schneller, als sie angezeigt werden konnten.</numerusform>
        </translation>
    </message>
    <message>
        <source>Submitting a new text</source>
        <translation>Schickt einen neuen Text ab</translation>
    </message>
    <message>
        <source>Looking back</source>
        <translation>Blättert zurück</translation>
    </message>
    <message>
        <source>Override</source>
        <translation>Vorrang</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Liest</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>Wartet</translation>
    </message>
    <message>
        <source>Writing</source>
        <translation>Schreibt</translation>
    </message>
    <message>
        <source>Writing a comment</source>
        <translation>Schreibt einen Kommentar</translation>
    </message>
    <message>
        <source>Read commented text(s)</source>
        <translation>Kommentierte Texte lesen</translation>
    </message>
    <message>
        <source>Write comment to</source>
        <translation>Kommentar schreiben zu</translation>
    </message>
    <message>
        <source>Write personal comment to</source>
        <translation>Persönlichen Kommentar schreiben zu</translation>
    </message>
    <message>
        <source>Write footnote to</source>
        <translation>Fußnote schreiben zu</translation>
    </message>
    <message>
        <source>Write a new text</source>
        <translation>Einen neuen Text schreiben</translation>
    </message>
    <message>
        <source>Write a new letter</source>
        <translation>Einen neuen Brief schreiben</translation>
    </message>
    <message>
        <source>Join a conference</source>
        <translation>Einer Konferenz beitreten</translation>
    </message>
    <message>
        <source>Show global text #</source>
        <translation>Globalen Text Nr. zeigen</translation>
    </message>
    <message>
        <source>Find root text</source>
        <translation>Wurzeltext suchen</translation>
    </message>
    <message>
        <source>Leave a conference</source>
        <translation>Eine Konferenz verlassen</translation>
    </message>
    <message>
        <source>Read only the n&apos;th last texts</source>
        <translation>Nur die letzten n Texte lesen</translation>
    </message>
    <message>
        <source>Change the name of a conference</source>
        <translation>Den Namen einer Konferenz ändern</translation>
    </message>
    <message>
        <source>Skip over comments</source>
        <translation>Kommentare überspringen</translation>
    </message>
    <message>
        <source>Read next unread text</source>
        <translation>Nächsten ungelesenen Text lesen</translation>
    </message>
    <message>
        <source>Show active users window</source>
        <translation>Fenster „Wer ist da“ zeigen</translation>
    </message>
    <message>
        <source>Create new user</source>
        <translation>Neue Person anlegen</translation>
    </message>
    <message>
        <source>Change password</source>
        <translation>Passwort ändern</translation>
    </message>
    <message>
        <source>Create a new conference</source>
        <translation>Eine neue Konferenz anlegen</translation>
    </message>
    <message>
        <source>Delete a conference</source>
        <translation>Eine Konferenz löschen</translation>
    </message>
    <message>
        <source>Add a user to a conference</source>
        <translation>Eine Person zu einer Konferenz hinzufügen</translation>
    </message>
    <message>
        <source>Remove a user from a conference</source>
        <translation>Eine Person aus einer Konferenz entfernen</translation>
    </message>
    <message>
        <source>Read presentation</source>
        <translation>Vorstellung lesen</translation>
    </message>
    <message>
        <source>Read top conference</source>
        <translation>Oberste Konferenz lesen</translation>
    </message>
    <message>
        <source>Go to a conference</source>
        <translation>Zu einer Konferenz gehen</translation>
    </message>
    <message>
        <source>Local demo server</source>
        <translation>Lokaler Vorführserver</translation>
    </message>
    <message>
        <source>Hollin community server</source>
        <translation>Hollin-Gemeinschaftsserver</translation>
    </message>
    <message>
        <source>Hollin test server</source>
        <translation>Hollin-Testserver</translation>
    </message>
    <message>
        <source>By</source>
        <translation>von</translation>
    </message>
    <message>
        <source>by</source>
        <translation>von</translation>
    </message>
    <message>
        <source>Recipient:</source>
        <translation>Empfänger:</translation>
    </message>
    <message>
        <source>Carbon Copy:</source>
        <translation>Kopie an:</translation>
    </message>
    <message>
        <source>sent by</source>
        <translation>gesendet von</translation>
    </message>
    <message>
        <source>at</source>
        <translation>am</translation>
    </message>
    <message>
        <source>Comment to:</source>
        <translation>Kommentar zu:</translation>
    </message>
    <message>
        <source>Footnote to:</source>
        <translation>Fußnote zu:</translation>
    </message>
    <message>
        <source>Comments in:</source>
        <translation>Kommentare in:</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Betreff:</translation>
    </message>
    <message>
        <source>Marked by one person</source>
        <translation>Von einer Person markiert</translation>
    </message>
    <message>
        <source>Marked by two persons</source>
        <translation>Von zwei Personen markiert</translation>
    </message>
    <message>
        <source>Marked by three persons</source>
        <translation>Von drei Personen markiert</translation>
    </message>
    <message numerus="yes">
        <source>Marked by %n person(s)</source>
        <translation>
            <numerusform>Von %n Person markiert</numerusform>
            <numerusform>Von %n Personen markiert</numerusform>
        </translation>
    </message>
    <message>
        <source>Message at</source>
        <translation>Nachricht vom</translation>
    </message>
    <message>
        <source>Sent message at</source>
        <translation>Gesendete Nachricht vom</translation>
    </message>
    <message>
        <source>to</source>
        <translation>an</translation>
    </message>
    <message>
        <source>from</source>
        <translation>von</translation>
    </message>
</context>
<context>
    <name>DialogHelpers</name>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>InheritedHints</name>
    <message>
        <source>%1 (as in the main profile: %2)</source>
        <translation>%1 (wie im Hauptprofil: %2)</translation>
    </message>
    <message>
        <source>on</source>
        <translation>ein</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Grey: follows the main profile (now %1). Click for on or off in this profile only.</source>
        <translation>Grau: folgt dem Hauptprofil (jetzt %1). Klicken Sie für ein oder aus nur in diesem Profil.</translation>
    </message>
    <message>
        <source>Empty: as in the main profile (%1)</source>
        <translation>Leer: wie im Hauptprofil (%1)</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>The demo server could not start: %1</source>
        <translation>Der Vorführserver konnte nicht starten: %1</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Complete the name</source>
        <translation>Namen vervollständigen</translation>
    </message>
</context>
<context>
    <name>TConfigForm</name>
    <message>
        <source>Always show the tray icon, with the number of &amp;unread texts</source>
        <translation>Symbol im Infobereich immer zeigen, mit der Zahl der &amp;ungelesenen Texte</translation>
    </message>
    <message>
        <source>&amp;Underline misspelt words while writing</source>
        <translation>Falsch geschriebene Wörter beim Schreiben &amp;unterstreichen</translation>
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
    <name>UnencodablePrompt</name>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 und %n weiteres</numerusform>
            <numerusform>%1 und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>This profile sends text as %1, which cannot hold: %2.

Go back and edit the text, or send it with &quot;?&quot; in their place? (The profile&apos;s character set is on its connection settings.)</source>
        <translation>Dieses Profil sendet Text als %1, das Folgendes nicht darstellen kann: %2.

Zurück zum Bearbeiten, oder mit „?“ an ihrer Stelle senden? (Den Zeichensatz des Profils finden Sie in seinen Verbindungseinstellungen.)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Send with &quot;?&quot;</source>
        <translation>Mit „?“ senden</translation>
    </message>
    <message>
        <source>No name with %1 can be found: this profile sends %2</source>
        <translation>Kein Name mit %1 kann gefunden werden: dieses Profil sendet %2</translation>
    </message>
</context>
<context>
    <name>WriteTextOpener</name>
    <message>
        <source>Write new text</source>
        <translation>Neuen Text schreiben</translation>
    </message>
    <message>
        <source>Write letter</source>
        <translation>Brief schreiben</translation>
    </message>
</context>
<context>
    <name>pellar::AppController</name>
    <message>
        <source>Offline. Connecting again in %1 s</source>
        <translation>Offline. Neue Verbindung in %1 s</translation>
    </message>
    <message>
        <source>The connection to the server was lost.</source>
        <translation>Die Verbindung zum Server ist abgerissen.</translation>
    </message>
    <message>
        <source>Connecting again...</source>
        <translation>Neue Verbindung...</translation>
    </message>
    <message>
        <source>Connected again.</source>
        <translation>Wieder verbunden.</translation>
    </message>
    <message>
        <source>Offline: not connecting again. Connect logs on anew.</source>
        <translation>Offline: keine neue Verbindung. „Verbinden“ meldet neu an.</translation>
    </message>
</context>
<context>
    <name>pellar::ConfListItemModel</name>
    <message>
        <source>Nr</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Priority</source>
        <translation>Priorität</translation>
    </message>
    <message>
        <source>Unread</source>
        <translation>Ungelesen</translation>
    </message>
</context>
<context>
    <name>pellar::DraftKeeper</name>
    <message>
        <source>The draft could not be saved: %1</source>
        <translation>Der Entwurf konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>pellar::DraftOffers</name>
    <message>
        <source>(no subject)</source>
        <translation>(kein Betreff)</translation>
    </message>
    <message>
        <source>Written as %1 on %2, port %3.</source>
        <translation>Geschrieben als %1 auf %2, Port %3.</translation>
    </message>
    <message>
        <source>Written where unknown (kept before drafts noted their server): check its recipients before you submit it.</source>
        <translation>Geschrieben an unbekanntem Ort (gespeichert, bevor Entwürfe ihren Server vermerkten): prüfen Sie die Empfänger, bevor Sie ihn abschicken.</translation>
    </message>
    <message>
        <source>%1, last saved %2
%3</source>
        <translation>%1, zuletzt gespeichert %2
%3</translation>
    </message>
    <message>
        <source>A text you were writing was not submitted:

%1

Open it again?</source>
        <translation>Ein Text, den Sie geschrieben haben, wurde nicht abgeschickt:

%1

Wieder öffnen?</translation>
    </message>
    <message>
        <source>A text you are writing has not been submitted.

Quit anyway? The text is kept and offered again the next time you connect.</source>
        <translation>Ein Text, den Sie schreiben, ist noch nicht abgeschickt.

Trotzdem beenden? Der Text wird aufbewahrt und bei der nächsten Verbindung wieder angeboten.</translation>
    </message>
    <message numerus="yes">
        <source>%n texts you are writing have not been submitted.

Quit anyway? The texts are kept and offered again the next time you connect.</source>
        <translation>
            <numerusform>%n Text, den Sie schreiben, ist noch nicht abgeschickt.

Trotzdem beenden? Der Text wird aufbewahrt und bei der nächsten Verbindung wieder angeboten.</numerusform>
            <numerusform>%n Texte, die Sie schreiben, sind noch nicht abgeschickt.

Trotzdem beenden? Die Texte werden aufbewahrt und bei der nächsten Verbindung wieder angeboten.</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>&amp;Later</source>
        <translation>&amp;Später</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>pellar::EventsController</name>
    <message>
        <source>The messages could not be kept: %1</source>
        <translation>Die Nachrichten konnten nicht aufbewahrt werden: %1</translation>
    </message>
    <message>
        <source>Message from %1</source>
        <translation>Nachricht von %1</translation>
    </message>
    <message>
        <source>Message from %1 to %2</source>
        <translation>Nachricht von %1 an %2</translation>
    </message>
    <message>
        <source>New text %1 by %2</source>
        <translation>Neuer Text %1 von %2</translation>
    </message>
</context>
<context>
    <name>pellar::FreedesktopNotifier</name>
    <message>
        <source>Notify</source>
        <translation>Benachrichtigen</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>pellar::QtSessionUi</name>
    <message>
        <source>Pellar - Untrusted certificate</source>
        <translation>Pellar – Nicht vertrauenswürdiges Zertifikat</translation>
    </message>
    <message>
        <source>The certificate of %1 could not be verified: %2.

Issued to: %3
SHA-256 fingerprint:
%4

Compare the fingerprint with the one the server&apos;s owner gives you. If they match, you may trust this certificate for this profile: later logons then accept this certificate only, and refuse any other.</source>
        <translation>Das Zertifikat von %1 konnte nicht geprüft werden: %2.

Ausgestellt für: %3
SHA-256-Fingerabdruck:
%4

Vergleichen Sie den Fingerabdruck mit dem, den Ihnen der Betreiber des Servers nennt. Stimmen sie überein, können Sie diesem Zertifikat für dieses Profil vertrauen: spätere Anmeldungen nehmen dann nur dieses Zertifikat an und lehnen jedes andere ab.</translation>
    </message>
    <message>
        <source>&amp;Trust this certificate</source>
        <translation>Diesem Zertifikat &amp;vertrauen</translation>
    </message>
</context>
<context>
    <name>pellar::SpellAttachment</name>
    <message>
        <source>No suggestions</source>
        <translation>Keine Vorschläge</translation>
    </message>
    <message>
        <source>Add to dictionary</source>
        <translation>Zum Wörterbuch hinzufügen</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorieren</translation>
    </message>
</context>
<context>
    <name>pellar::SpellService</name>
    <message>
        <source>Your word list could not be saved: %1</source>
        <translation>Ihre Wortliste konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>pellar::TAboutBox</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>A client for the Miravo text-conferencing system.</source>
        <translation>Ein Programm für das Textkonferenzsystem Miravo.</translation>
    </message>
    <message>
        <source>Read, write and talk in conferences.</source>
        <translation>Lesen, schreiben und reden in Konferenzen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version %1.%2 %3</source>
        <translation>Version %1.%2 %3</translation>
    </message>
</context>
<context>
    <name>pellar::TActiveUsersForm</name>
    <message>
        <source>Active users</source>
        <translation>Aktive Personen</translation>
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
        <translation>&amp;Personenliste</translation>
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
        <translation>Person</translation>
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
        <translation>Programm</translation>
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
    <message>
        <source>No such text of conference</source>
        <translation>Kein solcher Text der Konferenz</translation>
    </message>
    <message>
        <source>&amp;Read text</source>
        <translation>Text &amp;lesen</translation>
    </message>
    <message>
        <source>Read &amp;presentation</source>
        <translation>&amp;Vorstellung lesen</translation>
    </message>
    <message>
        <source>Open &amp;URL</source>
        <translation>&amp;URL öffnen</translation>
    </message>
    <message>
        <source>&amp;Delete text</source>
        <translation>Text &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Mark text</source>
        <translation>Text &amp;markieren</translation>
    </message>
    <message>
        <source>&amp;Properties...</source>
        <translation>&amp;Eigenschaften...</translation>
    </message>
    <message>
        <source>Global text number:</source>
        <translation>Globale Textnummer:</translation>
    </message>
    <message>
        <source>Delete text</source>
        <translation>Text löschen</translation>
    </message>
    <message>
        <source>Really delete text %1?</source>
        <translation>Text %1 wirklich löschen?</translation>
    </message>
    <message>
        <source>Mark text</source>
        <translation>Text markieren</translation>
    </message>
    <message>
        <source>Edit text properties</source>
        <translation>Texteigenschaften bearbeiten</translation>
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
    <message>
        <source>Select name</source>
        <translation>Namen wählen</translation>
    </message>
    <message>
        <source>&amp;Matching names</source>
        <translation>&amp;Passende Namen</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>&amp;Filter</translation>
    </message>
    <message>
        <source>&amp;Substring:</source>
        <translation>&amp;Teilwort:</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Presentation</source>
        <translation>Vorstellung</translation>
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
        <translation>Person</translation>
    </message>
    <message>
        <source>&amp;Conference:</source>
        <translation>&amp;Konferenz:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Person:</translation>
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
    <message>
        <source>Conference attributes</source>
        <translation>Konferenzeigenschaften</translation>
    </message>
    <message>
        <source>&amp;Open for everyone</source>
        <translation>Für alle &amp;offen</translation>
    </message>
    <message>
        <source>Allow &amp;comments</source>
        <translation>&amp;Kommentare erlauben</translation>
    </message>
    <message>
        <source>&amp;Secret</source>
        <translation>&amp;Geheim</translation>
    </message>
    <message>
        <source>Allow &amp;anonymous texts</source>
        <translation>&amp;Anonyme Texte erlauben</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>Su&amp;per conf:</source>
        <translation>Ü&amp;berkonferenz:</translation>
    </message>
    <message>
        <source>S&amp;upervisor:</source>
        <translation>&amp;Verwalter:</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
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
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source>Activity msg</source>
        <translation>Tätigkeitsmeldung</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>Tastatur</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Misc</source>
        <translation>Sonstiges</translation>
    </message>
    <message>
        <source>Fonts</source>
        <translation>Schriften</translation>
    </message>
    <message>
        <source>Spelling</source>
        <translation>Rechtschreibung</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>As the default profile</source>
        <translation>Wie im Standardprofil</translation>
    </message>
    <message>
        <source>%1 (Western European)</source>
        <translation>%1 (westeuropäisch)</translation>
    </message>
    <message>
        <source>%1 (every script)</source>
        <translation>%1 (alle Schriften)</translation>
    </message>
    <message>
        <source>As the default profile (%1)</source>
        <translation>Wie im Standardprofil (%1)</translation>
    </message>
    <message>
        <source>Change &amp;font</source>
        <translation>&amp;Schrift ändern</translation>
    </message>
    <message>
        <source>Custom &amp;color</source>
        <translation>Eigene &amp;Farbe</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>&amp;Voreinstellung</translation>
    </message>
    <message>
        <source>Right-click a part of the sample for the menu, or put the caret in it and press F to change the font or C to set a custom colour.</source>
        <translation>Klicken Sie mit der rechten Maustaste auf einen Teil der Probe für das Menü, oder setzen Sie die Schreibmarke hinein und drücken Sie F, um die Schrift zu ändern, oder C für eine eigene Farbe.</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>, </source>
        <translation>, </translation>
    </message>
    <message>
        <source>The colour chosen for the %1 text is hard to read on this theme&apos;s background, so the sample and the windows show the theme&apos;s text colour instead.</source>
        <translation>Die für den Text „%1“ gewählte Farbe ist auf dem Hintergrund dieses Farbschemas schwer lesbar, daher zeigen die Probe und die Fenster stattdessen die Textfarbe des Schemas.</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>&amp;Message</source>
        <translation>&amp;Nachricht</translation>
    </message>
    <message>
        <source>&amp;Set</source>
        <translation>&amp;Setzen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Voreinstellung</translation>
    </message>
    <message>
        <source>Set default mappings</source>
        <translation>Voreingestellte Belegung</translation>
    </message>
    <message>
        <source>This will remove all your custom settings. Are you sure?</source>
        <translation>Damit gehen alle Ihre eigenen Belegungen verloren. Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Set default</source>
        <translation>Voreinstellung</translation>
    </message>
    <message>
        <source>%1 (TLS)</source>
        <translation>%1 (TLS)</translation>
    </message>
    <message>
        <source>Host &amp;name:</source>
        <translation>&amp;Rechnername:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Character set:</source>
        <translation>&amp;Zeichensatz:</translation>
    </message>
    <message>
        <source>How long a logon waits for each answer before it gives up</source>
        <translation>Wie lange eine Anmeldung auf jede Antwort wartet, bevor sie aufgibt</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Wait for an ans&amp;wer:</source>
        <translation>Auf eine Ant&amp;wort warten:</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Person</translation>
    </message>
    <message>
        <source>&amp;Save password</source>
        <translation>Passwort &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>P&amp;assword:</source>
        <translation>P&amp;asswort:</translation>
    </message>
    <message>
        <source>Web proxy</source>
        <translation>Web-Proxy</translation>
    </message>
    <message>
        <source>Enable proxy support</source>
        <translation>Proxy verwenden</translation>
    </message>
    <message>
        <source>&amp;Server name:</source>
        <translation>&amp;Servername:</translation>
    </message>
    <message>
        <source>P&amp;ort:</source>
        <translation>P&amp;ort:</translation>
    </message>
    <message>
        <source>&amp;Sound</source>
        <translation>&amp;Ton</translation>
    </message>
    <message>
        <source>Task bar &amp;tray icon</source>
        <translation>Symbol im &amp;Infobereich</translation>
    </message>
    <message>
        <source>&amp;Focus</source>
        <translation>&amp;Fokus</translation>
    </message>
    <message>
        <source>&amp;All messages received</source>
        <translation>&amp;Alle empfangenen Nachrichten</translation>
    </message>
    <message>
        <source>&amp;Personal messages received</source>
        <translation>&amp;Persönliche Nachrichten</translation>
    </message>
    <message>
        <source>P&amp;riority text available</source>
        <translation>Text mit P&amp;riorität da</translation>
    </message>
    <message>
        <source>A&amp;ll messages received</source>
        <translation>A&amp;lle empfangenen Nachrichten</translation>
    </message>
    <message>
        <source>P&amp;ersonal messages received</source>
        <translation>P&amp;ersönliche Nachrichten</translation>
    </message>
    <message>
        <source>Pri&amp;ority text available</source>
        <translation>Text mit Pri&amp;orität da</translation>
    </message>
    <message>
        <source>All messages r&amp;eceived</source>
        <translation>Alle &amp;empfangenen Nachrichten</translation>
    </message>
    <message>
        <source>Per&amp;sonal messages received</source>
        <translation>Per&amp;sönliche Nachrichten</translation>
    </message>
    <message>
        <source>Priorit&amp;y text available</source>
        <translation>Text mit Priori&amp;tät da</translation>
    </message>
    <message>
        <source>Lowest conference priority that gives this alert</source>
        <translation>Niedrigste Konferenzpriorität, die diesen Hinweis auslöst</translation>
    </message>
    <message>
        <source>at priority</source>
        <translation>ab Priorität</translation>
    </message>
    <message>
        <source>&amp;Skip read texts added to new conferences</source>
        <translation>Gelesene Texte, die neuen Konferenzen hinzugefügt werden, &amp;überspringen</translation>
    </message>
    <message>
        <source>&amp;Show subject tree</source>
        <translation>&amp;Betreffbaum zeigen</translation>
    </message>
    <message>
        <source>Report &amp;read texts to the server</source>
        <translation>&amp;Gelesene Texte an den Server melden</translation>
    </message>
    <message>
        <source>Automatic line &amp;wrap to 80 columns (Writing)</source>
        <translation>Automatischer Zeilen&amp;umbruch bei 80 Spalten (Schreiben)</translation>
    </message>
    <message>
        <source>&amp;Align texts to window top</source>
        <translation>Texte am oberen Fensterrand &amp;ausrichten</translation>
    </message>
    <message>
        <source>Show commen&amp;ted text</source>
        <translation>&amp;Kommentierten Text zeigen</translation>
    </message>
    <message>
        <source>Reconnect by itself when the connection is &amp;lost</source>
        <translation>Nach &amp;Verbindungsabbruch von selbst neu verbinden</translation>
    </message>
    <message>
        <source>Startup window si&amp;ze</source>
        <translation>Fenster&amp;größe beim Start</translation>
    </message>
    <message>
        <source>&amp;Maximized</source>
        <translation>&amp;Maximiert</translation>
    </message>
    <message>
        <source>M&amp;inimized</source>
        <translation>M&amp;inimiert</translation>
    </message>
    <message>
        <source>&amp;Current size</source>
        <translation>&amp;Aktuelle Größe</translation>
    </message>
    <message>
        <source>Automatic: every unread text on a local network, only the next texts to read over a slower link</source>
        <translation>Automatisch: im lokalen Netz jeder ungelesene Text, über eine langsamere Verbindung nur die nächsten zu lesenden Texte</translation>
    </message>
    <message>
        <source>Older messages leave the messages window</source>
        <translation>Ältere Nachrichten verlassen das Nachrichtenfenster</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>Fetch texts a&amp;head:</source>
        <translation>Texte &amp;vorab holen:</translation>
    </message>
    <message>
        <source>Messages window &amp;keeps:</source>
        <translation>Nachrichtenfenster &amp;behält:</translation>
    </message>
    <message>
        <source>No spelling dictionary is installed, so nothing is checked. Install one (for example the package hunspell-en-us, or another hunspell dictionary) and open this page again.</source>
        <translation>Es ist kein Rechtschreibwörterbuch installiert, daher wird nichts geprüft. Installieren Sie eines (zum Beispiel das Paket hunspell-de-de oder ein anderes Hunspell-Wörterbuch) und öffnen Sie diese Seite erneut.</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Sprache:</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>As the locale says (%1)</source>
        <translation>Wie die Spracheinstellung (%1)</translation>
    </message>
    <message>
        <source>%1 (not installed)</source>
        <translation>%1 (nicht installiert)</translation>
    </message>
    <message>
        <source>4711 %1, By [6] Anna Berg</source>
        <translation>4711 %1, von [6] Anna Berg</translation>
    </message>
    <message>
        <source>Recipient: [12] Pellar (test) (311)</source>
        <translation>Empfänger: [12] Pellar (Test) (311)</translation>
    </message>
    <message>
        <source>Comment to: 4700 by [9] Erik Lund</source>
        <translation>Kommentar zu: 4700 von [9] Erik Lund</translation>
    </message>
    <message>
        <source>Subject: What the texts look like</source>
        <translation>Betreff: So sehen die Texte aus</translation>
    </message>
    <message>
        <source>This is the body of a text, in the body font.</source>
        <translation>Dies ist der Inhalt eines Textes, in der Schrift des Inhalts.</translation>
    </message>
    <message>
        <source>Lines keep the width they were written with.</source>
        <translation>Zeilen behalten die Breite, mit der sie geschrieben wurden.</translation>
    </message>
    <message>
        <source>Personal message from Erik Lund (10:20):</source>
        <translation>Persönliche Nachricht von Erik Lund (10:20):</translation>
    </message>
    <message>
        <source>Lunch at twelve?</source>
        <translation>Mittagessen um zwölf?</translation>
    </message>
</context>
<context>
    <name>pellar::TConfigListForm</name>
    <message>
        <source>Configurations</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>&amp;Properties...</source>
        <translation>&amp;Eigenschaften...</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Encrypted connection (TLS)</source>
        <translation>Verschlüsselte Verbindung (TLS)</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Voreinstellung</translation>
    </message>
    <message>
        <source>Add configuration</source>
        <translation>Profil hinzufügen</translation>
    </message>
    <message>
        <source>Configuration name:</source>
        <translation>Name des Profils:</translation>
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
    <name>pellar::TCreateConfForm</name>
    <message>
        <source>Create conference</source>
        <translation>Konferenz anlegen</translation>
    </message>
    <message>
        <source>&amp;Open for everyone</source>
        <translation>Für alle &amp;offen</translation>
    </message>
    <message>
        <source>Allow &amp;comments</source>
        <translation>&amp;Kommentare erlauben</translation>
    </message>
    <message>
        <source>&amp;Secret</source>
        <translation>&amp;Geheim</translation>
    </message>
    <message>
        <source>Allow &amp;anonymous texts</source>
        <translation>&amp;Anonyme Texte erlauben</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
</context>
<context>
    <name>pellar::TFindDialog</name>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>&amp;Suchen nach:</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>&amp;Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Richtung</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>&amp;Aufwärts</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>A&amp;bwärts</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>&amp;Weitersuchen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cannot find &quot;%1&quot;.</source>
        <translation>„%1“ wurde nicht gefunden.</translation>
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
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Text#</source>
        <translation>Text-Nr.</translation>
    </message>
    <message>
        <source>By</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Fertig</translation>
    </message>
    <message>
        <source>%1 Searching</source>
        <translation>%1 Suche läuft</translation>
    </message>
    <message>
        <source>&amp;Regexp search (subj and body)</source>
        <translation>Suche mit &amp;regulärem Ausdruck (Betreff und Inhalt)</translation>
    </message>
    <message>
        <source>Supported regexp functions: \ [] {} . + * a-c</source>
        <translation>Unterstützte Ausdrücke: \ [] {} . + * a-c</translation>
    </message>
    <message>
        <source>&amp;Rcpt:</source>
        <translation>&amp;Empfänger:</translation>
    </message>
    <message>
        <source>required</source>
        <translation>Pflichtfeld</translation>
    </message>
    <message>
        <source>&amp;By:</source>
        <translation>&amp;Von:</translation>
    </message>
    <message>
        <source>or</source>
        <translation>oder</translation>
    </message>
    <message>
        <source>&amp;Subj:</source>
        <translation>Be&amp;treff:</translation>
    </message>
    <message>
        <source>B&amp;ody:</source>
        <translation>&amp;Inhalt:</translation>
    </message>
    <message>
        <source>Include &amp;read texts</source>
        <translation>&amp;Gelesene Texte einbeziehen</translation>
    </message>
    <message>
        <source>Include &amp;unread texts</source>
        <translation>&amp;Ungelesene Texte einbeziehen</translation>
    </message>
    <message>
        <source>Search the &amp;last</source>
        <translation>Die &amp;letzten</translation>
    </message>
    <message>
        <source>texts in the conference</source>
        <translation>Texte der Konferenz durchsuchen</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>No text can hold %1: this profile sends %2.</source>
        <translation>Kein Text kann %1 enthalten: dieses Profil sendet %2.</translation>
    </message>
</context>
<context>
    <name>pellar::TGetNameForm</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation>&amp;Name</translation>
    </message>
    <message>
        <source>No conference matches &quot;%1&quot;.

Create a conference with this name?</source>
        <translation>Keine Konferenz passt zu „%1“.

Eine Konferenz mit diesem Namen anlegen?</translation>
    </message>
    <message>
        <source>&amp;Create conference...</source>
        <translation>Konferenz &amp;anlegen...</translation>
    </message>
</context>
<context>
    <name>pellar::THelpWindow</name>
    <message>
        <source>Pellar help</source>
        <translation>Pellar-Hilfe</translation>
    </message>
    <message>
        <source>Navigation</source>
        <translation>Navigation</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Vor</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
</context>
<context>
    <name>pellar::TIconTaskBar</name>
    <message>
        <source>Pellar: no unread texts</source>
        <translation>Pellar: keine ungelesenen Texte</translation>
    </message>
    <message>
        <source>Pellar: 1 unread text</source>
        <translation>Pellar: 1 ungelesener Text</translation>
    </message>
    <message numerus="yes">
        <source>Pellar: %n unread texts</source>
        <translation>
            <numerusform>Pellar: %n ungelesener Text</numerusform>
            <numerusform>Pellar: %n ungelesene Texte</numerusform>
        </translation>
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
    <name>pellar::TMainForm</name>
    <message>
        <source>Session</source>
        <translation>Sitzung</translation>
    </message>
    <message>
        <source>This will clear all caches, including the edit buffer.<byte value="xd"/>
Are you sure?</source>
        <translation>Damit werden alle Zwischenspeicher geleert, auch der Bearbeitungspuffer.<byte value="xd"/>
Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Edit conference properties</source>
        <translation>Konferenzeigenschaften bearbeiten</translation>
    </message>
    <message>
        <source>View presentation</source>
        <translation>Vorstellung anzeigen</translation>
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
        <translation>&amp;Personen</translation>
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
    <name>pellar::TMainStatusBar</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Stop trying to connect again</source>
        <translation>Keine neue Verbindung mehr versuchen</translation>
    </message>
    <message>
        <source>Not encrypted</source>
        <translation>Nicht verschlüsselt</translation>
    </message>
    <message>
        <source>Everything sent, the password too, crosses the network in clear</source>
        <translation>Alles Gesendete, auch das Passwort, geht unverschlüsselt über das Netz</translation>
    </message>
    <message>
        <source>Encrypted (%1)</source>
        <translation>Verschlüsselt (%1)</translation>
    </message>
    <message>
        <source>The link is encrypted: %1</source>
        <translation>Die Verbindung ist verschlüsselt: %1</translation>
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
    <message>
        <source>Everyone</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>
[%1 more characters not shown]
</source>
        <translation>
[%1 weitere Zeichen nicht angezeigt]
</translation>
    </message>
    <message>
        <source>all users</source>
        <translation>alle</translation>
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
    <message>
        <source>Enter a user name and organization, e.g. &quot;Anna Berg, ACME&quot;</source>
        <translation>Geben Sie einen Namen und eine Organisation ein, z. B. „Anna Berg, ACME“</translation>
    </message>
    <message>
        <source>Enter the password to use on this server.<byte value="xd"/>
Please note that this password is sent unscrambled on the net. Don&apos;t use passwords from other systems!</source>
        <translation>Geben Sie das Passwort für diesen Server ein.<byte value="xd"/>
Beachten Sie, dass dieses Passwort unverschlüsselt über das Netz geht. Verwenden Sie keine Passwörter anderer Systeme!</translation>
    </message>
    <message>
        <source>Enter the same password again to confirm.</source>
        <translation>Geben Sie zur Bestätigung dasselbe Passwort noch einmal ein.</translation>
    </message>
</context>
<context>
    <name>pellar::TNoPresentationForm</name>
    <message>
        <source>Presentation</source>
        <translation>Vorstellung</translation>
    </message>
    <message>
        <source>You have no presentation.
It is a good idea to have a presentation.

Would you like to write one now?</source>
        <translation>Sie haben keine Vorstellung.
Eine Vorstellung ist eine gute Idee.

Möchten Sie jetzt eine schreiben?</translation>
    </message>
    <message>
        <source>&amp;Don&apos;t show this dialog again</source>
        <translation>Diesen Dialog &amp;nicht mehr zeigen</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
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
    <message>
        <source>Offline message</source>
        <translation>Abwesenheitsnachricht</translation>
    </message>
    <message>
        <source>Reply to conference messages</source>
        <translation>Auf Nachrichten an Konferenzen antworten</translation>
    </message>
    <message>
        <source>Replies go out as %1, which cannot hold: %2. They show &quot;?&quot; in their place.</source>
        <translation>Antworten gehen als %1 hinaus, das Folgendes nicht darstellen kann: %2. An ihrer Stelle steht „?“.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Replies sent:</source>
        <translation>Gesendete Antworten:</translation>
    </message>
</context>
<context>
    <name>pellar::TQuickHelpForm</name>
    <message>
        <source>Quick help</source>
        <translation>Kurzhilfe</translation>
    </message>
    <message>
        <source>Server settings</source>
        <translation>Servereinstellungen</translation>
    </message>
    <message>
        <source>Save read texts	Reports read texts to the server if checked.</source>
        <translation>Gelesene Texte speichern	Meldet gelesene Texte an den Server, wenn angekreuzt.</translation>
    </message>
    <message>
        <source>Override	The action &quot;Override&quot; is the only activity shown, if it is a non empty string.</source>
        <translation>Vorrang	Die Tätigkeit „Vorrang“ wird als einzige angezeigt, wenn sie nicht leer ist.</translation>
    </message>
    <message>
        <source>Special keys</source>
        <translation>Besondere Tasten</translation>
    </message>
    <message>
        <source>Pellar specific</source>
        <translation>In Pellar</translation>
    </message>
    <message>
        <source>Ctrl-K	Completion of conference or user name.</source>
        <translation>Strg-K	Vervollständigt den Namen einer Konferenz oder Person.</translation>
    </message>
    <message>
        <source>	The name is underlined in the control if it is verified to be correct.</source>
        <translation>	Der Name wird im Feld unterstrichen, wenn er als richtig bestätigt ist.</translation>
    </message>
    <message>
        <source>Ctrl-N	Conference or user number lookup.</source>
        <translation>Strg-N	Sucht eine Konferenz oder Person nach ihrer Nummer.</translation>
    </message>
    <message>
        <source>	The name for the conference is shown and underlined if it is verified to be correct.</source>
        <translation>	Der Name der Konferenz wird angezeigt und unterstrichen, wenn er als richtig bestätigt ist.</translation>
    </message>
    <message>
        <source>Windows shortcuts (works with all programs)</source>
        <translation>Allgemeine Tastenkürzel (in allen Programmen)</translation>
    </message>
    <message>
        <source>Ctrl-C	Copy selected text to clipboard. Ctrl-Ins does the same thing.</source>
        <translation>Strg-C	Kopiert die Auswahl in die Zwischenablage. Strg-Einfg tut dasselbe.</translation>
    </message>
    <message>
        <source>Ctrl-V	Paste clipboard content to active control. Shift-Ins does the same thing.</source>
        <translation>Strg-V	Fügt die Zwischenablage in das aktive Feld ein. Umschalt-Einfg tut dasselbe.</translation>
    </message>
    <message>
        <source>Alt+Char	Shortcut to field or menu. &quot;Char&quot; is the underlined character.</source>
        <translation>Alt+Zeichen	Sprung zu Feld oder Menü. „Zeichen“ ist der unterstrichene Buchstabe.</translation>
    </message>
    <message>
        <source>TAB	Switch between fields or controls in dialogs and windows.</source>
        <translation>Tab	Wechselt zwischen den Feldern in Dialogen und Fenstern.</translation>
    </message>
    <message>
        <source>Ctrl-TAB	Switch between read, write, messages and active user windows.</source>
        <translation>Strg-Tab	Wechselt zwischen Lese-, Schreib-, Nachrichten- und Wer-ist-da-Fenster.</translation>
    </message>
    <message>
        <source>Ctrl-F4	Close MDI-child window (like the write text window).</source>
        <translation>Strg-F4	Schließt ein inneres Fenster (etwa das Schreibfenster).</translation>
    </message>
    <message>
        <source>Alt-F4	Close (terminate) program.</source>
        <translation>Alt-F4	Beendet das Programm.</translation>
    </message>
    <message>
        <source>F10	Access main menu.</source>
        <translation>F10	Öffnet das Hauptmenü.</translation>
    </message>
    <message>
        <source>Alt-TAB	Switch active program.</source>
        <translation>Alt-Tab	Wechselt das aktive Programm.</translation>
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
    <message>
        <source>Debug</source>
        <translation>Fehlersuche</translation>
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
    <message>
        <source>Read texts</source>
        <translation>Texte lesen</translation>
    </message>
    <message>
        <source>Working...</source>
        <translation>In Arbeit...</translation>
    </message>
</context>
<context>
    <name>pellar::TReadingCommands</name>
    <message>
        <source>Read text</source>
        <translation>Text lesen</translation>
    </message>
    <message>
        <source>Global text nr:</source>
        <translation>Globale Textnummer:</translation>
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
        <source>Change conference priority</source>
        <translation>Konferenzpriorität ändern</translation>
    </message>
    <message>
        <source>New priority?</source>
        <translation>Neue Priorität?</translation>
    </message>
    <message>
        <source>View presentation</source>
        <translation>Vorstellung anzeigen</translation>
    </message>
</context>
<context>
    <name>pellar::TStatisticsForm</name>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>Communication</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Bytes sent:</source>
        <translation>Gesendete Bytes:</translation>
    </message>
    <message>
        <source>Bytes received:</source>
        <translation>Empfangene Bytes:</translation>
    </message>
    <message>
        <source>Transactions:</source>
        <translation>Anfragen:</translation>
    </message>
    <message>
        <source>Async messages:</source>
        <translation>Asynchrone Meldungen:</translation>
    </message>
    <message>
        <source>Cache</source>
        <translation>Zwischenspeicher</translation>
    </message>
    <message>
        <source>Name from number: </source>
        <translation>Name aus Nummer: </translation>
    </message>
    <message>
        <source>Text stat:</source>
        <translation>Textstatus:</translation>
    </message>
    <message>
        <source>Text body:</source>
        <translation>Textinhalt:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
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
    <message>
        <source>References</source>
        <translation>Verweise</translation>
    </message>
    <message>
        <source>Id</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Urheber</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Daten</translation>
    </message>
    <message>
        <source>&amp;View text</source>
        <translation>Text &amp;anzeigen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Text #</source>
        <translation>Text-Nr.</translation>
    </message>
    <message>
        <source>By</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Add recipient &gt;&gt;</source>
        <translation>Empfänger hinzufügen &gt;&gt;</translation>
    </message>
    <message>
        <source>Add CC &gt;&gt;</source>
        <translation>Kopie hinzufügen &gt;&gt;</translation>
    </message>
    <message>
        <source>Remove recipient &lt;&lt;</source>
        <translation>Empfänger entfernen &lt;&lt;</translation>
    </message>
    <message>
        <source>Remove CC &lt;&lt;</source>
        <translation>Kopie entfernen &lt;&lt;</translation>
    </message>
    <message>
        <source>Add com to &gt;&gt;</source>
        <translation>Kommentar zu hinzufügen &gt;&gt;</translation>
    </message>
    <message>
        <source>Remove com to &lt;&lt;</source>
        <translation>Kommentar zu entfernen &lt;&lt;</translation>
    </message>
    <message>
        <source>Add footnote to &gt;&gt;</source>
        <translation>Fußnote zu hinzufügen &gt;&gt;</translation>
    </message>
    <message>
        <source>Remove footn to &lt;&lt;</source>
        <translation>Fußnote zu entfernen &lt;&lt;</translation>
    </message>
    <message>
        <source>Con&amp;ference or mailbox:</source>
        <translation>&amp;Konferenz oder Briefkasten:</translation>
    </message>
    <message>
        <source>&amp;Text nr:</source>
        <translation>&amp;Textnummer:</translation>
    </message>
    <message>
        <source>&amp;Recipients</source>
        <translation>&amp;Empfänger</translation>
    </message>
    <message>
        <source>&amp;CC Recipients</source>
        <translation>&amp;Kopie-Empfänger</translation>
    </message>
    <message>
        <source>Co&amp;mment to</source>
        <translation>Ko&amp;mmentar zu</translation>
    </message>
    <message>
        <source>&amp;Footnote to</source>
        <translation>&amp;Fußnote zu</translation>
    </message>
</context>
<context>
    <name>pellar::TTlsSettingsBox</name>
    <message>
        <source>Encryption</source>
        <translation>Verschlüsselung</translation>
    </message>
    <message>
        <source>&amp;Encrypted connection (TLS)</source>
        <translation>&amp;Verschlüsselte Verbindung (TLS)</translation>
    </message>
    <message>
        <source>&amp;Forget</source>
        <translation>&amp;Vergessen</translation>
    </message>
    <message>
        <source>The next logon checks the server&apos;s certificate afresh</source>
        <translation>Die nächste Anmeldung prüft das Zertifikat des Servers neu</translation>
    </message>
    <message>
        <source>TLS p&amp;ort:</source>
        <translation>TLS-P&amp;ort:</translation>
    </message>
    <message>
        <source>Trusted certificate:</source>
        <translation>Vertrautes Zertifikat:</translation>
    </message>
    <message>
        <source>SHA-256 %1
for %2</source>
        <translation>SHA-256 %1
für %2</translation>
    </message>
    <message>
        <source>none: the system&apos;s certificate authorities decide</source>
        <translation>keines: die Zertifizierungsstellen des Systems entscheiden</translation>
    </message>
</context>
<context>
    <name>pellar::TTypedCommandsMenu</name>
    <message>
        <source>T&amp;yped commands</source>
        <translation>&amp;Getippte Befehle</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Type %1 in the text view</source>
        <translation>%1 in der Textansicht tippen</translation>
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
    <message>
        <source>Text #</source>
        <translation>Text-Nr.</translation>
    </message>
    <message>
        <source>Mark type</source>
        <translation>Markierungsart</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Anzeigen</translation>
    </message>
    <message>
        <source>Change &amp;type</source>
        <translation>&amp;Art ändern</translation>
    </message>
    <message>
        <source>Attach</source>
        <translation>Andocken</translation>
    </message>
    <message>
        <source>Attach/Detach</source>
        <translation>An-/Abdocken</translation>
    </message>
    <message>
        <source>Change mark type</source>
        <translation>Markierungsart ändern</translation>
    </message>
    <message>
        <source>New mark type (0-255)</source>
        <translation>Neue Markierungsart (0–255)</translation>
    </message>
</context>
<context>
    <name>pellar::TWindowsMenu</name>
    <message>
        <source>&amp;Cascade</source>
        <translation>Ü&amp;berlappend</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>&amp;Nebeneinander</translation>
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
    <message>
        <source>Write text</source>
        <translation>Text schreiben</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Betreff:</translation>
    </message>
    <message>
        <source>&amp;Submit text</source>
        <translation>Text &amp;abschicken</translation>
    </message>
    <message>
        <source>Submit the text</source>
        <translation>Den Text abschicken</translation>
    </message>
    <message>
        <source>&amp;Trash text</source>
        <translation>Text &amp;verwerfen</translation>
    </message>
    <message>
        <source>Add &amp;recipient</source>
        <translation>&amp;Empfänger hinzufügen</translation>
    </message>
    <message>
        <source>Adds a recipient to the text</source>
        <translation>Fügt dem Text einen Empfänger hinzu</translation>
    </message>
    <message>
        <source>Add &amp;CC recipient</source>
        <translation>&amp;Kopie-Empfänger hinzufügen</translation>
    </message>
    <message>
        <source>Adds a carbon copy recipient</source>
        <translation>Fügt einen Kopie-Empfänger hinzu</translation>
    </message>
    <message>
        <source>Add as c&amp;omment to...</source>
        <translation>Als K&amp;ommentar zu...</translation>
    </message>
    <message>
        <source>Lists this text as a comment to another text</source>
        <translation>Macht diesen Text zum Kommentar eines anderen Textes</translation>
    </message>
    <message>
        <source>Request read &amp;confirmation</source>
        <translation>Lese&amp;bestätigung anfordern</translation>
    </message>
    <message>
        <source>Request read confirmation  from the readers</source>
        <translation>Lesebestätigung von den Lesern anfordern</translation>
    </message>
    <message>
        <source>No &amp;comments</source>
        <translation>Keine &amp;Kommentare</translation>
    </message>
    <message>
        <source>Indicate that you don&apos;t want replies to this message</source>
        <translation>Zeigt an, dass Sie keine Antworten auf diesen Text wünschen</translation>
    </message>
    <message>
        <source>Only &amp;personal comments</source>
        <translation>Nur &amp;persönliche Kommentare</translation>
    </message>
    <message>
        <source>Indicate that you only want private comments to this message</source>
        <translation>Zeigt an, dass Sie nur persönliche Kommentare zu diesem Text wünschen</translation>
    </message>
    <message>
        <source>P&amp;in window</source>
        <translation>Fenster an&amp;heften</translation>
    </message>
    <message>
        <source>Pins or unpins the window to the main window</source>
        <translation>Heftet das Fenster an das Hauptfenster an oder löst es</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy selected text to the clipboard</source>
        <translation>Die Auswahl in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>C&amp;ut</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>Cut out current selection and place it in the clipboard</source>
        <translation>Die Auswahl ausschneiden und in die Zwischenablage legen</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>E&amp;infügen</translation>
    </message>
    <message>
        <source>Paste clipboard content at cursor position</source>
        <translation>Die Zwischenablage an der Schreibmarke einfügen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;New text</source>
        <translation>&amp;Neuer Text</translation>
    </message>
    <message>
        <source>This text has not been submitted.

Keep it as a draft? It is offered again the next time you connect.</source>
        <translation>Dieser Text ist noch nicht abgeschickt.

Als Entwurf aufbewahren? Er wird bei der nächsten Verbindung wieder angeboten.</translation>
    </message>
    <message>
        <source>This text has not been submitted.

Discard it?</source>
        <translation>Dieser Text ist noch nicht abgeschickt.

Verwerfen?</translation>
    </message>
    <message>
        <source>&amp;Keep draft</source>
        <translation>Entwurf &amp;behalten</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>&amp;Verwerfen</translation>
    </message>
    <message>
        <source>Text %1 created.</source>
        <translation>Text %1 angelegt.</translation>
    </message>
    <message>
        <source>Add carbon copy recipient</source>
        <translation>Kopie-Empfänger hinzufügen</translation>
    </message>
    <message>
        <source>Add recipient</source>
        <translation>Empfänger hinzufügen</translation>
    </message>
    <message>
        <source>Add comment to text</source>
        <translation>Als Kommentar zu einem Text</translation>
    </message>
    <message>
        <source>What text is this a comment to?</source>
        <translation>Zu welchem Text ist dies ein Kommentar?</translation>
    </message>
</context>
</TS>
