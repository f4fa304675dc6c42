<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>StatusLine</name>
    <message numerus="yes">
        <source>%n item(s)</source>
        <translation>
            <numerusform>%n item</numerusform>
            <numerusform>%n items</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Reading… %n item(s)</source>
        <translation>
            <numerusform>Reading… %n item</numerusform>
            <numerusform>Reading… %n items</numerusform>
        </translation>
    </message>
</context>
</TS>
