<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Localizable</name>
    <message>
        <source>Infrabrick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch the output on or off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the motor backwards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power, from 1 to 8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remote:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remote control: forward while held</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remote control: reverse while held</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output B</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Touch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Light</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Raw</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Boolean</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transition Count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Period Count</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Percent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Celsius</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fahrenheit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Angle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With Slope...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor 3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slot:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No program in this slot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run or stop the program in this slot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send Messages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A message from 0 to 255</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Messages from the Brick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variables</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop a program file here to download it into the current slot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drop a program file here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download a program into the current slot; with Alt held, or when the slot holds a program, delete it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beep</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the program and every motor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch the brick off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read everything shown here from the brick again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Brick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Download Program...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install &amp;Firmware...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save Datalog...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Datalog Si&amp;ze...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Beep</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power &amp;Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Update Window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tower</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check the brick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensors:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Batteries</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog and watch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog file name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name of a datalog dragged out of the window; %H, %M and %S stand for the hour, minute and second.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set the brick&apos;s watch from this computer&apos;s clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor Mode with Slope</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With a slope, a reading counts as a change only when it moves by more than the slope at once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slope:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 to 31; 0 sets the mode without a slope.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick Not Reachable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IR Tower Not Usable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Firmware...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Retry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Datalog Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Setting the size empties the datalog. A size of 0 removes it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Values:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t open file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t read datalog length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error reading file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error writing file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains an illegal task number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains an unknown fragment type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an illegal character</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an illegal line length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has an unsupported file version number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; contains no firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has no start address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; has the wrong file signature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is not an S-Record file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is not compiled for the RCX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware download error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing firmware file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RCX memory full</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saving datalog to file &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File &quot;%@&quot; is too large for the fast download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The port cannot change its speed: the firmware goes at normal speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The port cannot change its speed. Switch the RCX off and on, then install the firmware again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The RCX does not answer at the fast speed: the firmware goes at normal speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The firmware arrived damaged: it goes once more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The firmware did not get through at the fast speed. Switch the RCX off and on, then install the firmware again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The RCX refused the firmware. Switch the RCX off and on, then install the firmware again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>USB tower range:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How far the LEGO USB tower reaches, set each time it opens. The serial tower has a switch for it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Short</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Medium</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fast firmware download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many download errors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variable %@	%d
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Timer %@	%d
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor %@	%d
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Watch %@	%d
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown %@	%d
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subroutines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tasks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Free</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Free memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slot %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sub %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Region</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No1</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Name1</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value1</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>No2</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Name2</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Value2</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every half second</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every second</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every 2 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every 5 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every 10 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every 30 seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every minute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alkaline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lithium</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NiMH rechargeable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The brick does not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that the brick is switched on and faces the tower, close enough. A brick that shows no program number after being switched on needs firmware.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The infrared tower cannot be used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check that the tower is plugged in and chosen in the preferences, and that no other program is using it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery level: %fv</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog: %f values</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No response from RCX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error accessing IR tower</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(%1 messages missed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>InstallFirmware requires a file argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download requires a file argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save requires a file argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send requires a message argument</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Datalo&amp;g</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SVG drawings (*.svg)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drag to zoom in, Shift-drag to pan, Home to see all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>See All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export as PNG...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export as SVG...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export as Text...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entries: %1, sources: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t write file &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploading datalog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Entry</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The datalog is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, entry %2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The readings of the last two minutes</source>
        <translation></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Infrabrick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Watch and drive a LEGO Mindstorms RCX brick through its infrared tower.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copyright © 2026 the Infrabrick developers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Infrabrick is free software under the GNU General Public License, version 3 or any later version (GPL-3.0-or-later). It comes with no warranty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The manual: %1; the virtual brick&apos;s: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The README, the changes and the copyright: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Infrabrick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The standard options of Qt programs, such as -style and -platform, are taken too.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &apos;infrabrick --help&apos; for more information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RCX firmware (*.lgo *.srec *.s19 *.mot)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tower</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tower: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick answering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick not answering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No firmware on the brick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick switched off by Power Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IR tower not usable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Program slot %1, running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Program slot %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About %1 left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No file downloaded yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Follow the file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download the file again whenever it changes on disk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download &amp;Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download and &amp;Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Compile Errors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A program (.rcx, .nqc) to download into the current slot once the brick answers, or a firmware file to install after asking.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No such file: &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can&apos;t write the compiled program into the temporary folder &quot;%@&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%@&quot; has errors and was not downloaded:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NQC did not finish compiling &quot;%@&quot; within %d seconds and was stopped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NQC is not installed. Install the nqc package to download NQC programs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programs (*.rcx *.nqc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, downloaded at %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, not downloaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was removed: it is no longer followed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Firmware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install the firmware file &quot;%1&quot; on the brick?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tower chosen: name one with --port, or choose one in Infrabrick&apos;s preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no tower called &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; is in use by %2 (process %3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; is in use by another program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tower &quot;%1&quot; cannot be used (error %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Interrupted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tower: a serial line&apos;s path, an announced virtual brick&apos;s name, usb, or a USB tower&apos;s place (1-3). By default the one Infrabrick saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print the result as one JSON object.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print nothing but failures, and no progress bar.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &apos;%1&apos; for more information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subcommands:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit status: 0 done, 1 the brick refused or the transfer failed, 2 usage, 3 the tower cannot be used, 4 the brick does not answer, 130 interrupted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: infrabrick-cli [options] SUBCOMMAND [arguments]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drive a LEGO Mindstorms RCX brick from a terminal.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Missing argument: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No subcommand given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown subcommand &apos;%1&apos;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 must be a number from %2 to %3, not &quot;%4&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The slot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beep.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The datalog&apos;s size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload the datalog as the text Infrabrick saves, set its size, or clear it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the datalog to FILE, or to standard output for -.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Make room for N entries; this clears the datalog.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the datalog, keeping its size.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no target &quot;%1&quot;: RCX or RCX2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloaded &quot;%1&quot; into slot %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download a program (.rcx, or .nqc compiled first) into the current slot, or the one given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program slot, 1 to 5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the program once it is downloaded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Compile NQC sources for RCX (1.0, 1.5) or RCX2. By default the brick type chosen in Infrabrick&apos;s preferences.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install through the ROM&apos;s fast mode, with the brick close to the tower.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install firmware from an S-record file (.lgo, .srec).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brick %1: firmware installed in %2 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing firmware on each brick that comes; Ctrl+C ends.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed: %1, failed: %2, average time: %3 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware failed on %1 bricks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install firmware on one brick after another, until Ctrl+C; then sum up.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the memory map: each region&apos;s size, first and last address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send the brick message N, 0 to 255.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no output &quot;%1&quot;: name A, B or C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An output is on, off or float, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose --forward or --reverse, not both</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The power</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch outputs on, off or to float, with their power and direction.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The power, 1 to 8.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turn forward.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turn in reverse.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Switch the brick off.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the command as hexadecimal bytes, such as 12 09 00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opcode %1 takes %2 argument bytes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The reply of opcode %1 is not known</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Send one command, given as hexadecimal bytes; show the reply.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the program of the current slot, or of the one given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sensor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The slope</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type: %1, mode: %2, slope: %3, value: %4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show a sensor&apos;s type, mode and value, set first when given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none, touch, temperature, light or rotation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>raw, boolean, transition, period, percent, celsius, fahrenheit or angle.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The slope, 0 to 31.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Let the brick turn itself off after MINUTES idle, 0 for never.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play system sound N, 0 to 5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ROM: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware: none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programs in slots: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Memory: %1 bytes of programs, %2 bytes of datalog, %3 bytes free</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Datalog: %1 of %2 entries</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery: %1 mV (%2 V)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slot: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Watch: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the battery, the versions, the slot, the programs, the memory, the datalog and the watch.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the running program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the program and every motor.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List the towers: serial lines, announced virtual bricks, the USB tower.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The variable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show variable N (0 to 31), set to VALUE first when given; write a negative VALUE after --.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the values of the 32 variables.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The time must be now or HH:MM, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the brick&apos;s watch, or set it to the computer&apos;s clock or to a time.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
