<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>MainWindow</name>
    <message>
        <source>Corvaline (v1.02 Oct 14, 2024)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No product cached yet: press Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The cached product could not be read (see the log)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The cached product holds no observations</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update failed and no readable product is cached (see the log)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>245 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>410 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>610 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1415 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2695 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4995 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8800 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>15400 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Amateur Bands</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Misc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Freq</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>50 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>70 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>144 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>222 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>432 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>900 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1296 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2304 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2320 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3400MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2424 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5760 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3456 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10368 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>406 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1420 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2800 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8840 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2295 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>24048 MHz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Corvaline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NOAA Space Weather Prediction Center</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
