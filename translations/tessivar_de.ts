<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ControllerWindow</name>
    <message>
        <source>no parity</source>
        <translation>keine Parität</translation>
    </message>
    <message>
        <source>even parity</source>
        <translation>gerade Parität</translation>
    </message>
    <message>
        <source>odd parity</source>
        <translation>ungerade Parität</translation>
    </message>
    <message>
        <source>mark parity</source>
        <translation>Parität Markierung</translation>
    </message>
    <message>
        <source>space parity</source>
        <translation>Parität Leerzeichen</translation>
    </message>
    <message>
        <source>no flow control</source>
        <translation>keine Flusssteuerung</translation>
    </message>
    <message>
        <source>Tessivar Virtual Controller - %1</source>
        <translation>Virtueller Tessivar-Controller - %1</translation>
    </message>
    <message>
        <source>&amp;Save Roll as PNG...</source>
        <translation>Rolle als PNG &amp;speichern...</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>Start a fresh roll</source>
        <translation>Eine neue Rolle beginnen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Roll</source>
        <translation>&amp;Rolle</translation>
    </message>
    <message>
        <source>Roll</source>
        <translation>Rolle</translation>
    </message>
    <message>
        <source>Host: %1 bit/s, %2 data bits, %3, %4, %5</source>
        <translation>Host: %1 Bit/s, %2 Datenbits, %3, %4, %5</translation>
    </message>
    <message>
        <source>2 stop bits</source>
        <translation>2 Stoppbits</translation>
    </message>
    <message>
        <source>1 stop bit</source>
        <translation>1 Stoppbit</translation>
    </message>
    <message>
        <source>Controller: %1 bit/s, %2, %3</source>
        <translation>Controller: %1 Bit/s, %2, %3</translation>
    </message>
    <message>
        <source>receive buffer %1/%2</source>
        <translation>Empfangspuffer %1/%2</translation>
    </message>
    <message>
        <source>SETTINGS DO NOT MATCH</source>
        <translation>EINSTELLUNGEN PASSEN NICHT ZUSAMMEN</translation>
    </message>
    <message>
        <source>host stopped by XOFF</source>
        <translation>Host durch XOFF angehalten</translation>
    </message>
    <message>
        <source>sleeping</source>
        <translation>im Ruhezustand</translation>
    </message>
    <message>
        <source>Save Roll as PNG</source>
        <translation>Rolle als PNG speichern</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>&amp;Exportieren</translation>
    </message>
    <message>
        <source>Last &amp;Receipt as PDF...</source>
        <translation>Letzten &amp;Beleg als PDF...</translation>
    </message>
    <message>
        <source>Whole R&amp;oll as PDF...</source>
        <translation>Ganze R&amp;olle als PDF...</translation>
    </message>
    <message>
        <source>Export Roll as PDF</source>
        <translation>Rolle als PDF exportieren</translation>
    </message>
    <message>
        <source>Export Receipt as PDF</source>
        <translation>Beleg als PDF exportieren</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF-Dokumente (*.pdf)</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>Cannot write %1.</source>
        <translation>%1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>listening on %1, no client</source>
        <translation>wartet auf %1, kein Client</translation>
    </message>
    <message>
        <source>listening on %1, client %2: %3 bytes</source>
        <translation>wartet auf %1, Client %2: %3 Bytes</translation>
    </message>
    <message>
        <source>Paper OK</source>
        <translation>Papier OK</translation>
    </message>
    <message>
        <source>Paper Near End</source>
        <translation>Papier fast zu Ende</translation>
    </message>
    <message>
        <source>Paper Out</source>
        <translation>Papier leer</translation>
    </message>
    <message>
        <source>Cover Open</source>
        <translation>Deckel offen</translation>
    </message>
    <message>
        <source>Drawer Open</source>
        <translation>Kassenlade offen</translation>
    </message>
    <message>
        <source>&amp;Printer</source>
        <translation>&amp;Drucker</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Drucker</translation>
    </message>
    <message>
        <source>paper OK</source>
        <translation>Papier OK</translation>
    </message>
    <message>
        <source>paper near end</source>
        <translation>Papier fast zu Ende</translation>
    </message>
    <message>
        <source>paper out</source>
        <translation>Papier leer</translation>
    </message>
    <message>
        <source>cover open</source>
        <translation>Deckel offen</translation>
    </message>
    <message>
        <source>cover closed</source>
        <translation>Deckel zu</translation>
    </message>
    <message>
        <source>drawer open</source>
        <translation>Kassenlade offen</translation>
    </message>
    <message>
        <source>drawer closed</source>
        <translation>Kassenlade zu</translation>
    </message>
    <message>
        <source>OFFLINE: %1</source>
        <translation>OFFLINE: %1</translation>
    </message>
    <message>
        <source>Buzzer x%1</source>
        <translation>Summer x%1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Tessivar</source>
        <translation>Tessivar</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Prints examples</source>
        <translation>Druckt Beispiele</translation>
    </message>
    <message>
        <source>Quick Test</source>
        <translation>Schnelltest</translation>
    </message>
    <message>
        <source>Prints all available text attributes</source>
        <translation>Druckt alle verfügbaren Textattribute</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attribute</translation>
    </message>
    <message>
        <source>Prints samples of languages supported</source>
        <translation>Druckt Proben der unterstützten Sprachen</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Sprachen</translation>
    </message>
    <message>
        <source>Shows font darkness attributes</source>
        <translation>Zeigt die Schwärzungsstufen der Schrift</translation>
    </message>
    <message>
        <source>Density</source>
        <translation>Druckdichte</translation>
    </message>
    <message>
        <source>Prints standard QR code 232x232 bitmap</source>
        <translation>Druckt ein Standard-QR-Code-Bitmap mit 232x232 Punkten</translation>
    </message>
    <message>
        <source>QR Bitmap</source>
        <translation>QR-Bitmap</translation>
    </message>
    <message>
        <source>Prints tabs, line spacing, margins, print position, alignment</source>
        <translation>Druckt Tabulatoren, Zeilenabstand, Ränder, Druckposition und Ausrichtung</translation>
    </message>
    <message>
        <source>Formatting</source>
        <translation>Formatierung</translation>
    </message>
    <message>
        <source>Print horizontal tabs, absolute position, left center right alignment</source>
        <translation>Druckt horizontale Tabulatoren, eine absolute Position und links, mittig und rechts ausgerichteten Text</translation>
    </message>
    <message>
        <source>Alignment</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>Reset and Init controller</source>
        <translation>Setzt den Controller zurück und initialisiert ihn</translation>
    </message>
    <message>
        <source>Reset </source>
        <translation>Zurücksetzen </translation>
    </message>
    <message>
        <source>Clears the print buffer</source>
        <translation>Leert den Druckpuffer</translation>
    </message>
    <message>
        <source>Clear Buffer &amp;&amp; Line Feed</source>
        <translation>Puffer leeren &amp;&amp; Vorschub</translation>
    </message>
    <message>
        <source>Prints a typical sample POS receipt</source>
        <translation>Druckt einen typischen Kassenbeleg als Beispiel</translation>
    </message>
    <message>
        <source>Receipt</source>
        <translation>Beleg</translation>
    </message>
    <message>
        <source>Displays controller information</source>
        <translation>Zeigt Informationen über den Controller</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Displays controller status information</source>
        <translation>Zeigt den Status des Controllers</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Power Managment</source>
        <translation>Energieverwaltung</translation>
    </message>
    <message>
        <source>Bar Codes</source>
        <translation>Barcodes</translation>
    </message>
    <message>
        <source>Prints UPC-A bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode UPC-A</translation>
    </message>
    <message>
        <source>UPC-A</source>
        <translation>UPC-A</translation>
    </message>
    <message>
        <source>Prints UPC-E bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode UPC-E</translation>
    </message>
    <message>
        <source>UPC-E</source>
        <translation>UPC-E</translation>
    </message>
    <message>
        <source>Prints EAN-13 bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode EAN-13</translation>
    </message>
    <message>
        <source>EAN-13</source>
        <translation>EAN-13</translation>
    </message>
    <message>
        <source>Prints EAN-8 bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode EAN-8</translation>
    </message>
    <message>
        <source>EAN-8</source>
        <translation>EAN-8</translation>
    </message>
    <message>
        <source>Prints CODE 39 bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode CODE 39</translation>
    </message>
    <message>
        <source>CODE 39</source>
        <translation>CODE 39</translation>
    </message>
    <message>
        <source>Prints ITF 2 5 bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode ITF 2 5</translation>
    </message>
    <message>
        <source>ITF 2 5</source>
        <translation>ITF 2 5</translation>
    </message>
    <message>
        <source>Prints CODA BAR bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode CODA BAR</translation>
    </message>
    <message>
        <source>CODA BAR</source>
        <translation>CODA BAR</translation>
    </message>
    <message>
        <source>Prints CODE 93 bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode CODE 93</translation>
    </message>
    <message>
        <source>CODE 93</source>
        <translation>CODE 93</translation>
    </message>
    <message>
        <source>Prints CODE 128 A bar code example</source>
        <translation>Druckt ein Beispiel für den Barcode CODE 128 A</translation>
    </message>
    <message>
        <source>CODE 128 A</source>
        <translation>CODE 128 A</translation>
    </message>
    <message>
        <source>Bar Code Option</source>
        <translation>Barcode-Option</translation>
    </message>
    <message>
        <source>Enables text printing of bar code value. Default behavior</source>
        <translation>Druckt den Wert des Barcodes als Klartext mit. Standardverhalten</translation>
    </message>
    <message>
        <source>Bar Code with Text</source>
        <translation>Barcode mit Klartext</translation>
    </message>
    <message>
        <source>Disables Bar Code text representation of the value</source>
        <translation>Druckt den Barcode ohne den Wert als Klartext</translation>
    </message>
    <message>
        <source>Bar Code without Text</source>
        <translation>Barcode ohne Klartext</translation>
    </message>
    <message>
        <source>Adds 4mm to the left margin allowing to move a bar code more to the center or right of the printing area</source>
        <translation>Vergrößert den linken Rand um 4 mm, damit ein Barcode weiter zur Mitte oder nach rechts im Druckbereich rückt</translation>
    </message>
    <message>
        <source>Add Left Margin Formatting</source>
        <translation>Linken Rand vergrößern</translation>
    </message>
    <message>
        <source>Bitmaps </source>
        <translation>Bilder </translation>
    </message>
    <message>
        <source>Load an image for printing 58mm: max width 384 pix  80mm: max width 576</source>
        <translation>Lädt ein Bild zum Drucken. 58 mm: höchstens 384 Pixel breit,  80 mm: höchstens 576</translation>
    </message>
    <message>
        <source>Load Image</source>
        <translation>Bild laden</translation>
    </message>
    <message>
        <source>Print raster image with definable width and height</source>
        <translation>Druckt das Rasterbild mit wählbarer Breite und Höhe</translation>
    </message>
    <message>
        <source>Print Raster Image</source>
        <translation>Rasterbild drucken</translation>
    </message>
    <message>
        <source>Line feeds the paper</source>
        <translation>Schiebt das Papier um eine Zeile vor</translation>
    </message>
    <message>
        <source>Line Feed</source>
        <translation>Zeilenvorschub</translation>
    </message>
    <message>
        <source>Cutter</source>
        <translation>Schneidwerk</translation>
    </message>
    <message>
        <source>Cutter Control</source>
        <translation>Schneidwerk steuern</translation>
    </message>
    <message>
        <source>Sends full cut command to the controller. Requires ZP404</source>
        <translation>Sendet den Befehl für einen Vollschnitt an den Controller. Erfordert ZP404</translation>
    </message>
    <message>
        <source>Full Cut</source>
        <translation>Vollschnitt</translation>
    </message>
    <message>
        <source>Sends partial cut command to the controller. Requires ZP404</source>
        <translation>Sendet den Befehl für einen Teilschnitt an den Controller. Erfordert ZP404</translation>
    </message>
    <message>
        <source>Partial Cut</source>
        <translation>Teilschnitt</translation>
    </message>
    <message>
        <source>Prints a sample receipt and cuts the paper</source>
        <translation>Druckt einen Beispielbeleg und schneidet das Papier ab</translation>
    </message>
    <message>
        <source>Receipt with Full Cut</source>
        <translation>Beleg mit Vollschnitt</translation>
    </message>
    <message>
        <source>Prints a sample receipt and makes a partial paper cut</source>
        <translation>Druckt einen Beispielbeleg und schneidet das Papier an</translation>
    </message>
    <message>
        <source>Receipt with Partial Cut</source>
        <translation>Beleg mit Teilschnitt</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Send Controller Command</source>
        <translation>Befehl an den Controller senden</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Hex</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>Controller</source>
        <translation>Controller</translation>
    </message>
    <message>
        <source>UART Serial Settings</source>
        <translation>Serielle UART-Einstellungen</translation>
    </message>
    <message>
        <source>Serial Speed Setting</source>
        <translation>Übertragungsgeschwindigkeit</translation>
    </message>
    <message>
        <source>Set UART com speed to 9600</source>
        <translation>Setzt die UART-Geschwindigkeit auf 9600</translation>
    </message>
    <message>
        <source>9600 bps</source>
        <translation>9600 bps</translation>
    </message>
    <message>
        <source>Set UART com speed to 19200</source>
        <translation>Setzt die UART-Geschwindigkeit auf 19200</translation>
    </message>
    <message>
        <source>19200 bps</source>
        <translation>19200 bps</translation>
    </message>
    <message>
        <source>Set UART com speed to 38400</source>
        <translation>Setzt die UART-Geschwindigkeit auf 38400</translation>
    </message>
    <message>
        <source>38400 bps</source>
        <translation>38400 bps</translation>
    </message>
    <message>
        <source>Set UART com speed to 57600</source>
        <translation>Setzt die UART-Geschwindigkeit auf 57600</translation>
    </message>
    <message>
        <source>57600 bps</source>
        <translation>57600 bps</translation>
    </message>
    <message>
        <source>Set UART com speed to 115200</source>
        <translation>Setzt die UART-Geschwindigkeit auf 115200</translation>
    </message>
    <message>
        <source>115200 bps  (*Default)</source>
        <translation>115200 bps  (*Standard)</translation>
    </message>
    <message>
        <source>256000 bps (FW 1.22 and higher)</source>
        <translation>256000 bps (ab FW 1.22)</translation>
    </message>
    <message>
        <source>375000 bps (FW 1.22 and higher)</source>
        <translation>375000 bps (ab FW 1.22)</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>Flusssteuerung</translation>
    </message>
    <message>
        <source>Set to no flow control</source>
        <translation>Schaltet die Flusssteuerung aus</translation>
    </message>
    <message>
        <source>No Flow Control</source>
        <translation>Keine Flusssteuerung</translation>
    </message>
    <message>
        <source>Set to xon/xoff software flow control</source>
        <translation>Schaltet auf XON/XOFF-Software-Flusssteuerung</translation>
    </message>
    <message>
        <source>XON/XOFF Flow Control  (*Default)</source>
        <translation>XON/XOFF-Flusssteuerung  (*Standard)</translation>
    </message>
    <message>
        <source>Set to RTS/Busy hardware flow control. Requires hardware line also on host</source>
        <translation>Schaltet auf RTS/Busy-Hardware-Flusssteuerung. Erfordert die Steuerleitung auch am Host</translation>
    </message>
    <message>
        <source>Hardware Flow Control</source>
        <translation>Hardware-Flusssteuerung</translation>
    </message>
    <message>
        <source>Activate new settings</source>
        <translation>Aktiviert die neuen Einstellungen</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>Print Head Type Selection</source>
        <translation>Auswahl des Druckkopftyps</translation>
    </message>
    <message>
        <source>Sets the used print head type to 58mm 6 stb 7.2V compatible design. Default</source>
        <translation>Stellt den Druckkopftyp auf eine kompatible Bauart mit 58 mm, 6 STB und 7,2 V ein. Standard</translation>
    </message>
    <message>
        <source>58mm FTP628MCL101 Type</source>
        <translation>58 mm, Typ FTP628MCL101</translation>
    </message>
    <message>
        <source>Sets the used print head type to 80mm 5 stb 7.2V compatible design</source>
        <translation>Stellt den Druckkopftyp auf eine kompatible Bauart mit 80 mm, 5 STB und 7,2 V ein</translation>
    </message>
    <message>
        <source>80mm FTP638MCL101 Type</source>
        <translation>80 mm, Typ FTP638MCL101</translation>
    </message>
    <message>
        <source>Sets the used print head type to 58mm 1 stb 7.2V compatible design</source>
        <translation>Stellt den Druckkopftyp auf eine kompatible Bauart mit 58 mm, 1 STB und 7,2 V ein</translation>
    </message>
    <message>
        <source>58mm LTP02-245-13 Type</source>
        <translation>58 mm, Typ LTP02-245-13</translation>
    </message>
    <message>
        <source>Sets the used print head type to 58mm 1 stb 4.0V compatible design</source>
        <translation>Stellt den Druckkopftyp auf eine kompatible Bauart mit 58 mm, 1 STB und 4,0 V ein</translation>
    </message>
    <message>
        <source>58mm LTP02-245-C1 Type</source>
        <translation>58 mm, Typ LTP02-245-C1</translation>
    </message>
    <message>
        <source>Sets the used print head type to 58mm 5V-24V 384 dots per line with cutter. ZP404 required</source>
        <translation>Stellt den Druckkopftyp auf 58 mm, 5 bis 24 V, 384 Punkte je Zeile mit Schneidwerk ein. Erfordert ZP404</translation>
    </message>
    <message>
        <source>58mm 384 dots Cutter Type</source>
        <translation>58 mm, 384 Punkte, mit Schneidwerk</translation>
    </message>
    <message>
        <source>Sets the used print head type to 80mm 7.2V-24V 576 dots per line with cutter. ZP404 required</source>
        <translation>Stellt den Druckkopftyp auf 80 mm, 7,2 bis 24 V, 576 Punkte je Zeile mit Schneidwerk ein. Erfordert ZP404</translation>
    </message>
    <message>
        <source>80mm 576 dots Cutter Type</source>
        <translation>80 mm, 576 Punkte, mit Schneidwerk</translation>
    </message>
    <message>
        <source>58mm M23-DH-H69 Type</source>
        <translation>58 mm, Typ M23-DH-H69</translation>
    </message>
    <message>
        <source>58mm M23-SX Type</source>
        <translation>58 mm, Typ M23-SX</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriell</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>About program</source>
        <translation>Über das Programm</translation>
    </message>
    <message>
        <source>Alt+A</source>
        <translation>Alt+A</translation>
    </message>
    <message>
        <source>About Qt</source>
        <translation>Über Qt</translation>
    </message>
    <message>
        <source>C&amp;onnect</source>
        <translation>&amp;Verbinden</translation>
    </message>
    <message>
        <source>Connect to serial port</source>
        <translation>Mit der seriellen Schnittstelle verbinden</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Disconnect</source>
        <translation>&amp;Trennen</translation>
    </message>
    <message>
        <source>Disconnect from serial port</source>
        <translation>Von der seriellen Schnittstelle trennen</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Ctrl+D</translation>
    </message>
    <message>
        <source>&amp;Configure</source>
        <translation>&amp;Konfigurieren</translation>
    </message>
    <message>
        <source>Configure serial port</source>
        <translation>Serielle Schnittstelle konfigurieren</translation>
    </message>
    <message>
        <source>Alt+C</source>
        <translation>Alt+C</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>The &lt;b&gt;Tessivar Version: 1.1.1&lt;/b&gt; for June 2020 firmware and newer.  Tessivar featuring ZP40x printer controllers.</source>
        <translation>&lt;b&gt;Tessivar Version: 1.1.1&lt;/b&gt; für Firmware ab Juni 2020.  Tessivar für die Druckercontroller ZP40x.</translation>
    </message>
    <message>
        <source>Serial Port Connect</source>
        <translation>Serielle Verbindung</translation>
    </message>
    <message>
        <source>Please configure and connect to the serial port first!</source>
        <translation>Bitte zuerst die serielle Schnittstelle konfigurieren und verbinden!</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Cannot load %1: %2</source>
        <translation>%1 kann nicht geladen werden: %2</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
    <message>
        <source>Opened &quot;%1&quot;
Width: %2 pixel
Height: %3 pixel
Color depth: %4
Bytes: %5
</source>
        <translation>Geöffnet: „%1“
Breite: %2 Pixel
Höhe: %3 Pixel
Farbtiefe: %4
Bytes: %5
</translation>
    </message>
    <message>
        <source>No Bitmap loaded!</source>
        <translation>Kein Bitmap geladen!</translation>
    </message>
    <message>
        <source>This tool allows printing only for bitmaps of up to 384 pixel wide!</source>
        <translation>Dieses Programm druckt nur Bitmaps mit höchstens 384 Pixeln Breite!</translation>
    </message>
    <message>
        <source>This tool allows printing only for bitmaps of up to 65535 pixel high!</source>
        <translation>Dieses Programm druckt nur Bitmaps mit höchstens 65535 Pixeln Höhe!</translation>
    </message>
    <message>
        <source>Print Bitmap</source>
        <translation>Bitmap drucken</translation>
    </message>
    <message>
        <source>Connected to %1 : %2, %3, %4, %5, %6</source>
        <translation>Verbunden mit %1 : %2, %3, %4, %5, %6</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Open error</source>
        <translation>Fehler beim Öffnen</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Getrennt</translation>
    </message>
    <message>
        <source>The device on %1 went away (the line hung up).</source>
        <translation>Das Gerät an %1 ist nicht mehr da (die Leitung wurde getrennt).</translation>
    </message>
    <message>
        <source>Critical Error</source>
        <translation>Kritischer Fehler</translation>
    </message>
    <message>
        <source>%1 KB left, about %2 s</source>
        <translation>noch %1 KB, etwa %2 s</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Select Serial Port</source>
        <translation>Serielle Schnittstelle wählen</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>Hersteller:</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Ort:</translation>
    </message>
    <message>
        <source>Vendor ID:</source>
        <translation>Hersteller-ID:</translation>
    </message>
    <message>
        <source>Product ID:</source>
        <translation>Produkt-ID:</translation>
    </message>
    <message>
        <source>Select Parameters</source>
        <translation>Parameter wählen</translation>
    </message>
    <message>
        <source>BaudRate:</source>
        <translation>Baudrate:</translation>
    </message>
    <message>
        <source>Data bits:</source>
        <translation>Datenbits:</translation>
    </message>
    <message>
        <source>Parity:</source>
        <translation>Parität:</translation>
    </message>
    <message>
        <source>Stop bits:</source>
        <translation>Stoppbits:</translation>
    </message>
    <message>
        <source>Flow control:</source>
        <translation>Flusssteuerung:</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>k. A.</translation>
    </message>
    <message>
        <source>Description: %1</source>
        <translation>Beschreibung: %1</translation>
    </message>
    <message>
        <source>Manufacturer: %1</source>
        <translation>Hersteller: %1</translation>
    </message>
    <message>
        <source>Serial number: %1</source>
        <translation>Seriennummer: %1</translation>
    </message>
    <message>
        <source>Location: %1</source>
        <translation>Ort: %1</translation>
    </message>
    <message>
        <source>Vendor Identifier: %1</source>
        <translation>Herstellerkennung: %1</translation>
    </message>
    <message>
        <source>Product Identifier: %1</source>
        <translation>Produktkennung: %1</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Gerade</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Ungerade</translation>
    </message>
    <message>
        <source>Mark</source>
        <translation>Markierung</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leerzeichen</translation>
    </message>
    <message>
        <source>XON/XOFF</source>
        <translation>XON/XOFF</translation>
    </message>
    <message>
        <source>RTS/CTS</source>
        <translation>RTS/CTS</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
    <message>
        <source>Tessivar Virtual Controller on %1</source>
        <translation>Virtueller Tessivar-Controller an %1</translation>
    </message>
</context>
</TS>
