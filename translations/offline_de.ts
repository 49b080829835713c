<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="qtn_offl_connect_title">
        <source>Offline mode</source>
        <translation>Offline-Modus</translation>
    </message>
    <message id="qtn_offl_connect">
        <source>The phone is in offline mode. Switch to normal mode?</source>
        <translation>Das Telefon ist im Offline-Modus. In den normalen Modus wechseln?</translation>
    </message>
</context>
</TS>
