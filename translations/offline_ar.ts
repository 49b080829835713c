<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name></name>
    <message id="qtn_offl_connect_title">
        <source>Offline mode</source>
        <translation>وضع عدم الاتصال</translation>
    </message>
    <message id="qtn_offl_connect">
        <source>The phone is in offline mode. Switch to normal mode?</source>
        <translation>الهاتف في وضع عدم الاتصال. هل تريد التبديل إلى الوضع العادي؟</translation>
    </message>
</context>
</TS>
