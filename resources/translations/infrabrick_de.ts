<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Localizable</name>
    <message>
        <source>Infrabrick</source>
        <translation>Infrabrick</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Output A</source>
        <translation>Ausgang A</translation>
    </message>
    <message>
        <source>Switch the output on or off</source>
        <translation>Ausgang ein- oder ausschalten</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>Rückwärts</translation>
    </message>
    <message>
        <source>Run the motor backwards</source>
        <translation>Den Motor rückwärts laufen lassen</translation>
    </message>
    <message>
        <source>Power:</source>
        <translation>Leistung:</translation>
    </message>
    <message>
        <source>Power, from 1 to 8</source>
        <translation>Leistung, von 1 bis 8</translation>
    </message>
    <message>
        <source>Remote:</source>
        <translation>Fernbedienung:</translation>
    </message>
    <message>
        <source>Remote control: forward while held</source>
        <translation>Fernbedienung: vorwärts, solange gedrückt</translation>
    </message>
    <message>
        <source>Remote control: reverse while held</source>
        <translation>Fernbedienung: rückwärts, solange gedrückt</translation>
    </message>
    <message>
        <source>Output B</source>
        <translation>Ausgang B</translation>
    </message>
    <message>
        <source>Output C</source>
        <translation>Ausgang C</translation>
    </message>
    <message>
        <source>Sensor 1</source>
        <translation>Sensor 1</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Typ:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keiner</translation>
    </message>
    <message>
        <source>Touch</source>
        <translation>Berührung</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatur</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Licht</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotation</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>Modus:</translation>
    </message>
    <message>
        <source>Raw</source>
        <translation>Rohwert</translation>
    </message>
    <message>
        <source>Boolean</source>
        <translation>Boolesch</translation>
    </message>
    <message>
        <source>Transition Count</source>
        <translation>Flankenzähler</translation>
    </message>
    <message>
        <source>Period Count</source>
        <translation>Periodenzähler</translation>
    </message>
    <message>
        <source>Percent</source>
        <translation>Prozent</translation>
    </message>
    <message>
        <source>Celsius</source>
        <translation>Celsius</translation>
    </message>
    <message>
        <source>Fahrenheit</source>
        <translation>Fahrenheit</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>Winkel</translation>
    </message>
    <message>
        <source>With Slope...</source>
        <translation>Mit Steigung...</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>Wert:</translation>
    </message>
    <message>
        <source>Sensor 2</source>
        <translation>Sensor 2</translation>
    </message>
    <message>
        <source>Sensor 3</source>
        <translation>Sensor 3</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Ausführen</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Slot:</source>
        <translation>Platz:</translation>
    </message>
    <message>
        <source>No program in this slot</source>
        <translation>Kein Programm auf diesem Platz</translation>
    </message>
    <message>
        <source>Run or stop the program in this slot</source>
        <translation>Das Programm auf diesem Platz starten oder anhalten</translation>
    </message>
    <message>
        <source>Send Messages</source>
        <translation>Nachrichten senden</translation>
    </message>
    <message>
        <source>A message from 0 to 255</source>
        <translation>Eine Nachricht von 0 bis 255</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <source>Messages from the Brick</source>
        <translation>Nachrichten vom Baustein</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>Speicher</translation>
    </message>
    <message>
        <source>Variables</source>
        <translation>Variablen</translation>
    </message>
    <message>
        <source>Battery</source>
        <translation>Batterie</translation>
    </message>
    <message>
        <source>Datalog</source>
        <translation>Datenprotokoll</translation>
    </message>
    <message>
        <source>Drop a program file here to download it into the current slot</source>
        <translation>Eine Programmdatei hierher ziehen, um sie auf den aktuellen Platz zu laden</translation>
    </message>
    <message>
        <source>Download...</source>
        <translation>Laden...</translation>
    </message>
    <message>
        <source>Download a program into the current slot; with Alt held, or when the slot holds a program, delete it</source>
        <translation>Ein Programm auf den aktuellen Platz laden; mit gedrückter Alt-Taste oder wenn der Platz belegt ist, das Programm löschen</translation>
    </message>
    <message>
        <source>Beep</source>
        <translation>Piepton</translation>
    </message>
    <message>
        <source>Stop All</source>
        <translation>Alles anhalten</translation>
    </message>
    <message>
        <source>Stop the program and every motor</source>
        <translation>Das Programm und alle Motoren anhalten</translation>
    </message>
    <message>
        <source>Power Off</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Switch the brick off</source>
        <translation>Den Baustein ausschalten</translation>
    </message>
    <message>
        <source>Update Window</source>
        <translation>Fenster aktualisieren</translation>
    </message>
    <message>
        <source>Read everything shown here from the brick again</source>
        <translation>Alles hier Gezeigte erneut vom Baustein lesen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Brick</source>
        <translation>Bau&amp;stein</translation>
    </message>
    <message>
        <source>&amp;Download Program...</source>
        <translation>Programm &amp;laden...</translation>
    </message>
    <message>
        <source>Install &amp;Firmware...</source>
        <translation>&amp;Firmware installieren...</translation>
    </message>
    <message>
        <source>&amp;Save Datalog...</source>
        <translation>Datenprotokoll &amp;sichern...</translation>
    </message>
    <message>
        <source>Set Datalog Si&amp;ze...</source>
        <translation>&amp;Größe des Datenprotokolls...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>&amp;Beep</source>
        <translation>&amp;Piepton</translation>
    </message>
    <message>
        <source>&amp;Stop All</source>
        <translation>Alles &amp;anhalten</translation>
    </message>
    <message>
        <source>Power &amp;Off</source>
        <translation>Aus&amp;schalten</translation>
    </message>
    <message>
        <source>&amp;Update Window</source>
        <translation>Fenster &amp;aktualisieren</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Tower</source>
        <translation>Turm</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Anschluss:</translation>
    </message>
    <message>
        <source>Check the brick</source>
        <translation>Baustein abfragen</translation>
    </message>
    <message>
        <source>Battery:</source>
        <translation>Batterie:</translation>
    </message>
    <message>
        <source>Sensors:</source>
        <translation>Sensoren:</translation>
    </message>
    <message>
        <source>Datalog:</source>
        <translation>Datenprotokoll:</translation>
    </message>
    <message>
        <source>Batteries</source>
        <translation>Batterien</translation>
    </message>
    <message>
        <source>Battery type:</source>
        <translation>Batterietyp:</translation>
    </message>
    <message>
        <source>Brick:</source>
        <translation>Baustein:</translation>
    </message>
    <message>
        <source>Datalog and watch</source>
        <translation>Datenprotokoll und Uhr</translation>
    </message>
    <message>
        <source>Datalog file name:</source>
        <translation>Dateiname des Datenprotokolls:</translation>
    </message>
    <message>
        <source>Name of a datalog dragged out of the window; %H, %M and %S stand for the hour, minute and second.</source>
        <translation>Name eines aus dem Fenster gezogenen Datenprotokolls; %H, %M und %S stehen für Stunde, Minute und Sekunde.</translation>
    </message>
    <message>
        <source>Set the brick&apos;s watch from this computer&apos;s clock</source>
        <translation>Die Uhr des Bausteins nach der Uhr dieses Computers stellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sensor Mode with Slope</source>
        <translation>Sensormodus mit Steigung</translation>
    </message>
    <message>
        <source>With a slope, a reading counts as a change only when it moves by more than the slope at once.</source>
        <translation>Mit Steigung zählt ein Messwert nur dann als Änderung, wenn er sich auf einmal um mehr als die Steigung bewegt.</translation>
    </message>
    <message>
        <source>Sensor:</source>
        <translation>Sensor:</translation>
    </message>
    <message>
        <source>Slope:</source>
        <translation>Steigung:</translation>
    </message>
    <message>
        <source>0 to 31; 0 sets the mode without a slope.</source>
        <translation>0 bis 31; 0 setzt den Modus ohne Steigung.</translation>
    </message>
    <message>
        <source>Brick Not Reachable</source>
        <translation>Baustein nicht erreichbar</translation>
    </message>
    <message>
        <source>IR Tower Not Usable</source>
        <translation>IR-Turm nicht verwendbar</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Install Firmware...</source>
        <translation>Firmware installieren...</translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation>Einstellungen...</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Set Datalog Size</source>
        <translation>Größe des Datenprotokolls</translation>
    </message>
    <message>
        <source>Setting the size empties the datalog. A size of 0 removes it.</source>
        <translation>Das Setzen der Größe leert das Datenprotokoll. Eine Größe von 0 entfernt es.</translation>
    </message>
    <message>
        <source>Values:</source>
        <translation>Werte:</translation>
    </message>
    <message>
        <source>Transfer</source>
        <translation>Übertragung</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Can&apos;t open file &quot;%@&quot;</source>
        <translation>Die Datei „%@“ kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Downloading file &quot;%@&quot;</source>
        <translation>Datei „%@“ wird geladen</translation>
    </message>
    <message>
        <source>Installing firmware file &quot;%@&quot;</source>
        <translation>Firmware-Datei „%@“ wird installiert</translation>
    </message>
    <message>
        <source>Saving datalog to file &quot;%@&quot;</source>
        <translation>Datenprotokoll wird in „%@“ gesichert</translation>
    </message>
    <message>
        <source>Firmware download error</source>
        <translation>Fehler beim Laden der Firmware</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is too large for the fast download</source>
        <translation>Die Datei „%@“ ist zu groß für die schnelle Übertragung</translation>
    </message>
    <message>
        <source>The port cannot change its speed: the firmware goes at normal speed</source>
        <translation>Der Anschluss kann seine Geschwindigkeit nicht ändern: die Firmware wird mit normaler Geschwindigkeit übertragen</translation>
    </message>
    <message>
        <source>The port cannot change its speed. Switch the RCX off and on, then install the firmware again.</source>
        <translation>Der Anschluss kann seine Geschwindigkeit nicht ändern. Schalten Sie den RCX aus und wieder ein und installieren Sie die Firmware dann erneut.</translation>
    </message>
    <message>
        <source>The RCX does not answer at the fast speed: the firmware goes at normal speed</source>
        <translation>Der RCX antwortet nicht mit hoher Geschwindigkeit: die Firmware wird mit normaler Geschwindigkeit übertragen</translation>
    </message>
    <message>
        <source>The firmware arrived damaged: it goes once more</source>
        <translation>Die Firmware kam beschädigt an: sie wird noch einmal übertragen</translation>
    </message>
    <message>
        <source>The firmware did not get through at the fast speed. Switch the RCX off and on, then install the firmware again.</source>
        <translation>Die Firmware kam mit hoher Geschwindigkeit nicht durch. Schalten Sie den RCX aus und wieder ein und installieren Sie die Firmware dann erneut.</translation>
    </message>
    <message>
        <source>The RCX refused the firmware. Switch the RCX off and on, then install the firmware again.</source>
        <translation>Der RCX hat die Firmware abgelehnt. Schalten Sie den RCX aus und wieder ein und installieren Sie die Firmware dann erneut.</translation>
    </message>
    <message>
        <source>USB tower range:</source>
        <translation>Reichweite des USB-Turms:</translation>
    </message>
    <message>
        <source>How far the LEGO USB tower reaches, set each time it opens. The serial tower has a switch for it.</source>
        <translation>Wie weit der LEGO-USB-Turm reicht; wird bei jedem Öffnen eingestellt. Der serielle Turm hat dafür einen Schalter.</translation>
    </message>
    <message>
        <source>Short</source>
        <translation>Kurz</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>Long</source>
        <translation>Weit</translation>
    </message>
    <message>
        <source>Fast firmware download</source>
        <translation>Schnelle Firmware-Übertragung</translation>
    </message>
    <message>
        <source>Too many download errors</source>
        <translation>Zu viele Übertragungsfehler</translation>
    </message>
    <message>
        <source>RCX memory full</source>
        <translation>RCX-Speicher voll</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Variable %@	%d
</source>
        <translation>Variable %@	%d
</translation>
    </message>
    <message>
        <source>Timer %@	%d
</source>
        <translation>Timer %@	%d
</translation>
    </message>
    <message>
        <source>Sensor %@	%d
</source>
        <translation>Sensor %@	%d
</translation>
    </message>
    <message>
        <source>Watch %@	%d
</source>
        <translation>Uhr %@	%d
</translation>
    </message>
    <message>
        <source>Unknown %@	%d
</source>
        <translation>Unbekannt %@	%d
</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Every half second</source>
        <translation>Jede halbe Sekunde</translation>
    </message>
    <message>
        <source>Every second</source>
        <translation>Jede Sekunde</translation>
    </message>
    <message>
        <source>Every 2 seconds</source>
        <translation>Alle 2 Sekunden</translation>
    </message>
    <message>
        <source>Every 5 seconds</source>
        <translation>Alle 5 Sekunden</translation>
    </message>
    <message>
        <source>Every 10 seconds</source>
        <translation>Alle 10 Sekunden</translation>
    </message>
    <message>
        <source>Every 30 seconds</source>
        <translation>Alle 30 Sekunden</translation>
    </message>
    <message>
        <source>Every minute</source>
        <translation>Jede Minute</translation>
    </message>
    <message>
        <source>Alkaline</source>
        <translation>Alkali</translation>
    </message>
    <message>
        <source>Lithium</source>
        <translation>Lithium</translation>
    </message>
    <message>
        <source>NiMH rechargeable</source>
        <translation>NiMH-Akku</translation>
    </message>
    <message>
        <source>The brick does not answer</source>
        <translation>Der Baustein antwortet nicht</translation>
    </message>
    <message>
        <source>Check that the brick is switched on and faces the tower, close enough. A brick that shows no program number after being switched on needs firmware.</source>
        <translation>Prüfen Sie, ob der Baustein eingeschaltet ist und nah genug zum Turm zeigt. Ein Baustein, der nach dem Einschalten keine Programmnummer zeigt, braucht Firmware.</translation>
    </message>
    <message>
        <source>The infrared tower cannot be used</source>
        <translation>Der Infrarot-Turm kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>Check that the tower is plugged in and chosen in the preferences, and that no other program is using it.</source>
        <translation>Prüfen Sie, ob der Turm angeschlossen und in den Einstellungen gewählt ist und kein anderes Programm ihn verwendet.</translation>
    </message>
    <message>
        <source>Battery level: %fv</source>
        <translation>Batteriestand: %f V</translation>
    </message>
    <message>
        <source>Datalog: %f values</source>
        <translation>Datenprotokoll: %f Werte</translation>
    </message>
    <message>
        <source>No response from RCX</source>
        <translation>Keine Antwort vom RCX</translation>
    </message>
    <message>
        <source>Error accessing IR tower</source>
        <translation>Fehler beim Zugriff auf den IR-Turm</translation>
    </message>
    <message>
        <source>(%1 messages missed)</source>
        <translation>(%1 Nachrichten verpasst)</translation>
    </message>
    <message>
        <source>Can&apos;t read datalog length</source>
        <translation>Die Länge des Datenprotokolls kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Error reading file &quot;%@&quot;</source>
        <translation>Fehler beim Lesen der Datei „%@“</translation>
    </message>
    <message>
        <source>Error writing file &quot;%@&quot;</source>
        <translation>Fehler beim Schreiben der Datei „%@“</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains an illegal task number</source>
        <translation>Die Datei „%@“ enthält eine ungültige Tasknummer</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains an unknown fragment type</source>
        <translation>Die Datei „%@“ enthält einen unbekannten Fragmenttyp</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an illegal character</source>
        <translation>Die Datei „%@“ enthält ein ungültiges Zeichen</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an illegal line length</source>
        <translation>Die Datei „%@“ hat eine ungültige Zeilenlänge</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an unsupported file version number</source>
        <translation>Die Datei „%@“ hat eine nicht unterstützte Versionsnummer</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains no firmware</source>
        <translation>Die Datei „%@“ enthält keine Firmware</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has no start address</source>
        <translation>Die Datei „%@“ hat keine Startadresse</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has the wrong file signature</source>
        <translation>Die Datei „%@“ hat die falsche Dateisignatur</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is not an S-Record file</source>
        <translation>Die Datei „%@“ ist keine S-Record-Datei</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is not compiled for the RCX</source>
        <translation>Die Datei „%@“ ist nicht für den RCX übersetzt</translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is too large</source>
        <translation>Die Datei „%@“ ist zu groß</translation>
    </message>
    <message>
        <source>Subroutines</source>
        <translation>Unterprogramme</translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>Used</source>
        <translation>Belegt</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>Free memory</source>
        <translation>Freier Speicher</translation>
    </message>
    <message>
        <source>Slot %d</source>
        <translation>Platz %d</translation>
    </message>
    <message>
        <source>Sub %d</source>
        <translation>Unterprogramm %d</translation>
    </message>
    <message>
        <source>Task %d</source>
        <translation>Task %d</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Bereich</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Anfang</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>No1</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Name1</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value1</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>No2</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Name2</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value2</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Drop a program file here</source>
        <translation>Programmdatei hierher ziehen</translation>
    </message>
    <message>
        <source>InstallFirmware requires a file argument</source>
        <translation>InstallFirmware braucht eine Datei als Argument</translation>
    </message>
    <message>
        <source>Download requires a file argument</source>
        <translation>Download braucht eine Datei als Argument</translation>
    </message>
    <message>
        <source>Save requires a file argument</source>
        <translation>Sichern braucht eine Datei als Argument</translation>
    </message>
    <message>
        <source>Send requires a message argument</source>
        <translation>Senden braucht eine Nachricht als Argument</translation>
    </message>
    <message>
        <source>Show Datalo&amp;g</source>
        <translation>Datenprotokoll &amp;zeigen</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>SVG drawings (*.svg)</source>
        <translation>SVG-Zeichnungen (*.svg)</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>Drag to zoom in, Shift-drag to pan, Home to see all</source>
        <translation>Ziehen vergrößert, Umschalt-Ziehen verschiebt, Pos1 zeigt alles</translation>
    </message>
    <message>
        <source>Upload Again</source>
        <translation>Neu lesen</translation>
    </message>
    <message>
        <source>See All</source>
        <translation>Alles zeigen</translation>
    </message>
    <message>
        <source>Export as PNG...</source>
        <translation>Als PNG exportieren...</translation>
    </message>
    <message>
        <source>Export as SVG...</source>
        <translation>Als SVG exportieren...</translation>
    </message>
    <message>
        <source>Export as Text...</source>
        <translation>Als Text exportieren...</translation>
    </message>
    <message>
        <source>Entries: %1, sources: %2</source>
        <translation>Einträge: %1, Quellen: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write file &quot;%1&quot;</source>
        <translation>Datei „%1“ kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Uploading datalog</source>
        <translation>Datenprotokoll wird gelesen</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>The datalog is empty</source>
        <translation>Das Datenprotokoll ist leer</translation>
    </message>
    <message>
        <source>%1, entry %2: %3</source>
        <translation>%1, Eintrag %2: %3</translation>
    </message>
    <message>
        <source>The readings of the last two minutes</source>
        <translation>Die Messwerte der letzten zwei Minuten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About Infrabrick</source>
        <translation>Über &amp;Infrabrick</translation>
    </message>
    <message>
        <source>Watch and drive a LEGO Mindstorms RCX brick through its infrared tower.</source>
        <translation>Einen LEGO-Mindstorms-RCX-Baustein über seinen Infrarot-Turm beobachten und steuern.</translation>
    </message>
    <message>
        <source>Copyright © 2026 the Infrabrick developers.</source>
        <translation>Copyright © 2026 die Entwickler von Infrabrick.</translation>
    </message>
    <message>
        <source>Infrabrick is free software under the GNU General Public License, version 3 or any later version (GPL-3.0-or-later). It comes with no warranty.</source>
        <translation>Infrabrick ist freie Software unter der GNU General Public License, Version 3 oder jeder späteren Version (GPL-3.0-or-later). Es gibt keine Gewährleistung.</translation>
    </message>
    <message>
        <source>The manual: %1; the virtual brick&apos;s: %2.</source>
        <translation>Das Handbuch: %1; das des virtuellen Bausteins: %2.</translation>
    </message>
    <message>
        <source>The README, the changes and the copyright: %1.</source>
        <translation>README, Änderungen und Urheberrecht: %1.</translation>
    </message>
    <message>
        <source>About Infrabrick</source>
        <translation>Über Infrabrick</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Diese Hilfe zeigen und beenden.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Die Version zeigen und beenden.</translation>
    </message>
    <message>
        <source>The standard options of Qt programs, such as -style and -platform, are taken too.</source>
        <translation>Die üblichen Optionen von Qt-Programmen wie -style und -platform werden ebenfalls angenommen.</translation>
    </message>
    <message>
        <source>Try &apos;infrabrick --help&apos; for more information.</source>
        <translation>Mehr dazu unter &apos;infrabrick --help&apos;.</translation>
    </message>
    <message>
        <source>RCX firmware (*.lgo *.srec *.s19 *.mot)</source>
        <translation>RCX-Firmware (*.lgo *.srec *.s19 *.mot)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>No tower</source>
        <translation>Kein Turm</translation>
    </message>
    <message>
        <source>Tower: %1</source>
        <translation>Turm: %1</translation>
    </message>
    <message>
        <source>Brick answering</source>
        <translation>Baustein antwortet</translation>
    </message>
    <message>
        <source>Brick not answering</source>
        <translation>Baustein antwortet nicht</translation>
    </message>
    <message>
        <source>No firmware on the brick</source>
        <translation>Keine Firmware auf dem Baustein</translation>
    </message>
    <message>
        <source>Brick switched off by Power Off</source>
        <translation>Baustein mit „Ausschalten“ ausgeschaltet</translation>
    </message>
    <message>
        <source>IR tower not usable</source>
        <translation>IR-Turm nicht nutzbar</translation>
    </message>
    <message>
        <source>Program slot %1, running</source>
        <translation>Programmplatz %1, läuft</translation>
    </message>
    <message>
        <source>Program slot %1</source>
        <translation>Programmplatz %1</translation>
    </message>
    <message>
        <source>About %1 left</source>
        <translation>Noch etwa %1</translation>
    </message>
    <message>
        <source>No tower chosen: name one with --port, or choose one in Infrabrick&apos;s preferences</source>
        <translation>Kein Turm gewählt: nennen Sie einen mit --port oder wählen Sie einen in Infrabricks Einstellungen</translation>
    </message>
    <message>
        <source>There is no tower called &quot;%1&quot;</source>
        <translation>Es gibt keinen Turm namens „%1“</translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; is in use by %2 (process %3)</source>
        <translation>Der Turm „%1“ wird von %2 benutzt (Prozess %3)</translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; cannot be used (error %2)</source>
        <translation>Der Turm „%1“ kann nicht benutzt werden (Fehler %2)</translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; is in use by another program</source>
        <translation>Der Turm „%1“ wird von einem anderen Programm benutzt</translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>The tower: a serial line&apos;s path, an announced virtual brick&apos;s name, usb, or a USB tower&apos;s place (1-3). By default the one Infrabrick saved.</source>
        <translation>Der Turm: der Pfad einer seriellen Leitung, der Name eines angemeldeten virtuellen Bausteins, usb oder die Stelle eines USB-Turms (1-3). Ohne Angabe der in Infrabrick gespeicherte.</translation>
    </message>
    <message>
        <source>Print the result as one JSON object.</source>
        <translation>Das Ergebnis als ein JSON-Objekt ausgeben.</translation>
    </message>
    <message>
        <source>Print nothing but failures, and no progress bar.</source>
        <translation>Nur Fehler ausgeben, ohne Fortschrittsbalken.</translation>
    </message>
    <message>
        <source>Try &apos;%1&apos; for more information.</source>
        <translation>Mehr dazu mit „%1“.</translation>
    </message>
    <message>
        <source>Subcommands:</source>
        <translation>Unterbefehle:</translation>
    </message>
    <message>
        <source>Exit status: 0 done, 1 the brick refused or the transfer failed, 2 usage, 3 the tower cannot be used, 4 the brick does not answer, 130 interrupted.</source>
        <translation>Rückgabewert: 0 erledigt, 1 der Baustein lehnte ab oder die Übertragung scheiterte, 2 falscher Aufruf, 3 der Turm ist nicht nutzbar, 4 der Baustein antwortet nicht, 130 abgebrochen.</translation>
    </message>
    <message>
        <source>Usage: infrabrick-cli [options] SUBCOMMAND [arguments]</source>
        <translation>Aufruf: infrabrick-cli [Optionen] UNTERBEFEHL [Argumente]</translation>
    </message>
    <message>
        <source>Drive a LEGO Mindstorms RCX brick from a terminal.</source>
        <translation>Einen LEGO-Mindstorms-RCX-Baustein vom Terminal aus steuern.</translation>
    </message>
    <message>
        <source>Missing argument: %1</source>
        <translation>Argument fehlt: %1</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument „%1“.</translation>
    </message>
    <message>
        <source>No subcommand given.</source>
        <translation>Kein Unterbefehl angegeben.</translation>
    </message>
    <message>
        <source>Unknown subcommand &apos;%1&apos;.</source>
        <translation>Unbekannter Unterbefehl „%1“.</translation>
    </message>
    <message>
        <source>%1 must be a number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 muss eine Zahl von %2 bis %3 sein, nicht „%4“</translation>
    </message>
    <message>
        <source>The slot</source>
        <translation>Der Programmplatz</translation>
    </message>
    <message>
        <source>Beep.</source>
        <translation>Piepen.</translation>
    </message>
    <message>
        <source>The datalog&apos;s size</source>
        <translation>Die Größe des Datenlogs</translation>
    </message>
    <message>
        <source>Upload the datalog as the text Infrabrick saves, set its size, or clear it.</source>
        <translation>Das Datenlog als den Text laden, den Infrabrick speichert, seine Größe setzen oder es leeren.</translation>
    </message>
    <message>
        <source>Write the datalog to FILE, or to standard output for -.</source>
        <translation>Das Datenlog in DATEI schreiben, bei - auf die Standardausgabe.</translation>
    </message>
    <message>
        <source>Make room for N entries; this clears the datalog.</source>
        <translation>Platz für N Einträge schaffen; das leert das Datenlog.</translation>
    </message>
    <message>
        <source>Clear the datalog, keeping its size.</source>
        <translation>Das Datenlog leeren und seine Größe behalten.</translation>
    </message>
    <message>
        <source>There is no target &quot;%1&quot;: RCX or RCX2</source>
        <translation>Es gibt kein Ziel „%1“: RCX oder RCX2</translation>
    </message>
    <message>
        <source>Downloaded &quot;%1&quot; into slot %2</source>
        <translation>„%1“ auf Programmplatz %2 übertragen</translation>
    </message>
    <message>
        <source>Download a program (.rcx, or .nqc compiled first) into the current slot, or the one given.</source>
        <translation>Ein Programm (.rcx, oder .nqc nach dem Übersetzen) auf den aktuellen oder den angegebenen Programmplatz übertragen.</translation>
    </message>
    <message>
        <source>Compile NQC sources for RCX (1.0, 1.5) or RCX2. By default the brick type chosen in Infrabrick&apos;s preferences.</source>
        <translation>NQC-Quellen für RCX (1.0, 1.5) oder RCX2 übersetzen. Ohne Angabe für den in Infrabricks Einstellungen gewählten Bausteintyp.</translation>
    </message>
    <message>
        <source>Install through the ROM&apos;s fast mode, with the brick close to the tower.</source>
        <translation>Über den schnellen Modus des ROM installieren, mit dem Baustein nah am Turm.</translation>
    </message>
    <message>
        <source>The program slot, 1 to 5.</source>
        <translation>Der Programmplatz, 1 bis 5.</translation>
    </message>
    <message>
        <source>Run the program once it is downloaded.</source>
        <translation>Das Programm nach der Übertragung starten.</translation>
    </message>
    <message>
        <source>Firmware installed</source>
        <translation>Firmware installiert</translation>
    </message>
    <message>
        <source>Install firmware from an S-record file (.lgo, .srec).</source>
        <translation>Firmware aus einer S-Record-Datei (.lgo, .srec) installieren.</translation>
    </message>
    <message>
        <source>Brick %1: %2</source>
        <translation>Baustein %1: %2</translation>
    </message>
    <message>
        <source>Brick %1: firmware installed in %2 s</source>
        <translation>Baustein %1: Firmware in %2 s installiert</translation>
    </message>
    <message>
        <source>Installing firmware on each brick that comes; Ctrl+C ends.</source>
        <translation>Firmware wird auf jeden Baustein installiert, der kommt; Strg+C beendet.</translation>
    </message>
    <message>
        <source>Installed: %1, failed: %2, average time: %3 s</source>
        <translation>Installiert: %1, gescheitert: %2, mittlere Dauer: %3 s</translation>
    </message>
    <message>
        <source>Firmware failed on %1 bricks</source>
        <translation>Firmware auf %1 Bausteinen gescheitert</translation>
    </message>
    <message>
        <source>Install firmware on one brick after another, until Ctrl+C; then sum up.</source>
        <translation>Firmware auf einen Baustein nach dem anderen installieren, bis Strg+C; dann zusammenfassen.</translation>
    </message>
    <message>
        <source>Show the memory map: each region&apos;s size, first and last address.</source>
        <translation>Die Speicherbelegung zeigen: Größe, erste und letzte Adresse jedes Bereichs.</translation>
    </message>
    <message>
        <source>The message</source>
        <translation>Die Nachricht</translation>
    </message>
    <message>
        <source>Send the brick message N, 0 to 255.</source>
        <translation>Dem Baustein die Nachricht N senden, 0 bis 255.</translation>
    </message>
    <message>
        <source>There is no output &quot;%1&quot;: name A, B or C</source>
        <translation>Es gibt keinen Ausgang „%1“: nennen Sie A, B oder C</translation>
    </message>
    <message>
        <source>An output is on, off or float, not &quot;%1&quot;</source>
        <translation>Ein Ausgang ist on, off oder float, nicht „%1“</translation>
    </message>
    <message>
        <source>Choose --forward or --reverse, not both</source>
        <translation>Wählen Sie --forward oder --reverse, nicht beide</translation>
    </message>
    <message>
        <source>The power</source>
        <translation>Die Leistung</translation>
    </message>
    <message>
        <source>Switch outputs on, off or to float, with their power and direction.</source>
        <translation>Ausgänge ein-, ausschalten oder frei laufen lassen, mit Leistung und Richtung.</translation>
    </message>
    <message>
        <source>The power, 1 to 8.</source>
        <translation>Die Leistung, 1 bis 8.</translation>
    </message>
    <message>
        <source>Turn forward.</source>
        <translation>Vorwärts drehen.</translation>
    </message>
    <message>
        <source>Turn in reverse.</source>
        <translation>Rückwärts drehen.</translation>
    </message>
    <message>
        <source>Switch the brick off.</source>
        <translation>Den Baustein ausschalten.</translation>
    </message>
    <message>
        <source>Give the command as hexadecimal bytes, such as 12 09 00</source>
        <translation>Geben Sie den Befehl als hexadezimale Bytes an, etwa 12 09 00</translation>
    </message>
    <message>
        <source>Opcode %1 takes %2 argument bytes</source>
        <translation>Opcode %1 nimmt %2 Argumentbytes</translation>
    </message>
    <message>
        <source>The reply of opcode %1 is not known</source>
        <translation>Die Antwort auf Opcode %1 ist nicht bekannt</translation>
    </message>
    <message>
        <source>Send one command, given as hexadecimal bytes; show the reply.</source>
        <translation>Einen Befehl als hexadezimale Bytes senden; die Antwort zeigen.</translation>
    </message>
    <message>
        <source>Run the program of the current slot, or of the one given.</source>
        <translation>Das Programm des aktuellen oder des angegebenen Programmplatzes starten.</translation>
    </message>
    <message>
        <source>The sensor</source>
        <translation>Der Sensor</translation>
    </message>
    <message>
        <source>The type</source>
        <translation>Der Typ</translation>
    </message>
    <message>
        <source>The mode</source>
        <translation>Der Modus</translation>
    </message>
    <message>
        <source>The slope</source>
        <translation>Die Flanke</translation>
    </message>
    <message>
        <source>Type: %1, mode: %2, slope: %3, value: %4</source>
        <translation>Typ: %1, Modus: %2, Flanke: %3, Wert: %4</translation>
    </message>
    <message>
        <source>Show a sensor&apos;s type, mode and value, set first when given.</source>
        <translation>Typ, Modus und Wert eines Sensors zeigen, zuvor gesetzt, wenn angegeben.</translation>
    </message>
    <message>
        <source>none, touch, temperature, light or rotation.</source>
        <translation>none, touch, temperature, light oder rotation.</translation>
    </message>
    <message>
        <source>raw, boolean, transition, period, percent, celsius, fahrenheit or angle.</source>
        <translation>raw, boolean, transition, period, percent, celsius, fahrenheit oder angle.</translation>
    </message>
    <message>
        <source>The slope, 0 to 31.</source>
        <translation>Die Flanke, 0 bis 31.</translation>
    </message>
    <message>
        <source>The minutes</source>
        <translation>Die Minuten</translation>
    </message>
    <message>
        <source>Let the brick turn itself off after MINUTES idle, 0 for never.</source>
        <translation>Den Baustein nach MINUTEN Untätigkeit sich selbst ausschalten lassen, 0 für nie.</translation>
    </message>
    <message>
        <source>The sound</source>
        <translation>Der Klang</translation>
    </message>
    <message>
        <source>Play system sound N, 0 to 5.</source>
        <translation>Systemklang N spielen, 0 bis 5.</translation>
    </message>
    <message>
        <source>ROM: %1</source>
        <translation>ROM: %1</translation>
    </message>
    <message>
        <source>Firmware: none</source>
        <translation>Firmware: keine</translation>
    </message>
    <message>
        <source>Firmware: %1</source>
        <translation>Firmware: %1</translation>
    </message>
    <message>
        <source>Programs in slots: %1</source>
        <translation>Programme auf den Plätzen: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Memory: %1 bytes of programs, %2 bytes of datalog, %3 bytes free</source>
        <translation>Speicher: %1 Bytes Programme, %2 Bytes Datenlog, %3 Bytes frei</translation>
    </message>
    <message>
        <source>Datalog: %1 of %2 entries</source>
        <translation>Datenlog: %1 von %2 Einträgen</translation>
    </message>
    <message>
        <source>Battery: %1 mV (%2 V)</source>
        <translation>Batterie: %1 mV (%2 V)</translation>
    </message>
    <message>
        <source>Slot: %1</source>
        <translation>Programmplatz: %1</translation>
    </message>
    <message>
        <source>Watch: %1</source>
        <translation>Uhr: %1</translation>
    </message>
    <message>
        <source>Show the battery, the versions, the slot, the programs, the memory, the datalog and the watch.</source>
        <translation>Batterie, Versionen, Programmplatz, Programme, Speicher, Datenlog und Uhr zeigen.</translation>
    </message>
    <message>
        <source>Stop the running program.</source>
        <translation>Das laufende Programm anhalten.</translation>
    </message>
    <message>
        <source>Stop the program and every motor.</source>
        <translation>Das Programm und alle Motoren anhalten.</translation>
    </message>
    <message>
        <source>List the towers: serial lines, announced virtual bricks, the USB tower.</source>
        <translation>Die Türme auflisten: serielle Leitungen, angemeldete virtuelle Bausteine, den USB-Turm.</translation>
    </message>
    <message>
        <source>The variable</source>
        <translation>Die Variable</translation>
    </message>
    <message>
        <source>The value</source>
        <translation>Der Wert</translation>
    </message>
    <message>
        <source>Show variable N (0 to 31), set to VALUE first when given; write a negative VALUE after --.</source>
        <translation>Variable N (0 bis 31) zeigen, zuvor auf WERT gesetzt, wenn angegeben; einen negativen WERT nach -- schreiben.</translation>
    </message>
    <message>
        <source>Show the values of the 32 variables.</source>
        <translation>Die Werte der 32 Variablen zeigen.</translation>
    </message>
    <message>
        <source>The time must be now or HH:MM, not &quot;%1&quot;</source>
        <translation>Die Zeit muss now oder HH:MM sein, nicht „%1“</translation>
    </message>
    <message>
        <source>Show the brick&apos;s watch, or set it to the computer&apos;s clock or to a time.</source>
        <translation>Die Uhr des Bausteins zeigen oder sie auf die Uhr des Rechners oder eine Zeit stellen.</translation>
    </message>
    <message>
        <source>No file downloaded yet</source>
        <translation>Noch keine Datei übertragen</translation>
    </message>
    <message>
        <source>Follow the file</source>
        <translation>Der Datei folgen</translation>
    </message>
    <message>
        <source>Download the file again whenever it changes on disk</source>
        <translation>Die Datei erneut übertragen, sobald sie sich auf der Platte ändert</translation>
    </message>
    <message>
        <source>Download &amp;Again</source>
        <translation>&amp;Erneut übertragen</translation>
    </message>
    <message>
        <source>Download and &amp;Run</source>
        <translation>Übertragen und &amp;starten</translation>
    </message>
    <message>
        <source>Compile Errors</source>
        <translation>Übersetzungsfehler</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>A program (.rcx, .nqc) to download into the current slot once the brick answers, or a firmware file to install after asking.</source>
        <translation>Ein Programm (.rcx, .nqc), das in den aktuellen Programmplatz übertragen wird, sobald der Baustein antwortet, oder eine Firmware-Datei, die nach Rückfrage installiert wird.</translation>
    </message>
    <message>
        <source>No such file: &apos;%1&apos;.</source>
        <translation>Datei nicht gefunden: &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Can&apos;t write the compiled program into the temporary folder &quot;%@&quot;</source>
        <translation>Das übersetzte Programm kann nicht in den temporären Ordner &quot;%@&quot; geschrieben werden</translation>
    </message>
    <message>
        <source>&quot;%@&quot; has errors and was not downloaded:</source>
        <translation>&quot;%@&quot; enthält Fehler und wurde nicht übertragen:</translation>
    </message>
    <message>
        <source>NQC did not finish compiling &quot;%@&quot; within %d seconds and was stopped.</source>
        <translation>NQC hat &quot;%@&quot; nicht innerhalb von %d Sekunden übersetzt und wurde beendet.</translation>
    </message>
    <message>
        <source>NQC is not installed. Install the nqc package to download NQC programs.</source>
        <translation>NQC ist nicht installiert. Installieren Sie das Paket nqc, um NQC-Programme zu übertragen.</translation>
    </message>
    <message>
        <source>Programs (*.rcx *.nqc)</source>
        <translation>Programme (*.rcx *.nqc)</translation>
    </message>
    <message>
        <source>%1, downloaded at %2</source>
        <translation>%1, übertragen um %2</translation>
    </message>
    <message>
        <source>%1, not downloaded</source>
        <translation>%1, nicht übertragen</translation>
    </message>
    <message>
        <source>%1 was removed: it is no longer followed</source>
        <translation>%1 wurde entfernt: ihr wird nicht mehr gefolgt</translation>
    </message>
    <message>
        <source>Install Firmware</source>
        <translation>Firmware installieren</translation>
    </message>
    <message>
        <source>Install the firmware file &quot;%1&quot; on the brick?</source>
        <translation>Die Firmware-Datei &quot;%1&quot; auf dem Baustein installieren?</translation>
    </message>
</context>
</TS>
