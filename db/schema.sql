-- Pellam.MDB: the registered boards and their relay settings, and the relay
-- scripts. The program reads both tables with "SELECT *" and binds columns
-- by position, so the column order below is part of the file format.

CREATE TABLE Main (
    ID          INTEGER PRIMARY KEY AUTOINCREMENT, -- row number; read, not used
    VID         VARCHAR(4),   -- always '0000'
    PID         VARCHAR(4),   -- board id text, four upper-case hex digits
    ADDED       DATETIME DEFAULT CURRENT_TIMESTAMP, -- when the board was registered; read, not used
    "DEFAULT"   VARCHAR(3),   -- 'YES' for the default board
    RELAY1NOTES VARCHAR(512), RELAY1NAME VARCHAR(31), RELAY1NC VARCHAR(31), RELAY1NO VARCHAR(31), RELAY1CONF VARCHAR(3),
    RELAY2NOTES VARCHAR(512), RELAY2NAME VARCHAR(31), RELAY2NC VARCHAR(31), RELAY2NO VARCHAR(31), RELAY2CONF VARCHAR(3),
    RELAY3NOTES VARCHAR(512), RELAY3NAME VARCHAR(31), RELAY3NC VARCHAR(31), RELAY3NO VARCHAR(31), RELAY3CONF VARCHAR(3),
    RELAY4NOTES VARCHAR(512), RELAY4NAME VARCHAR(31), RELAY4NC VARCHAR(31), RELAY4NO VARCHAR(31), RELAY4CONF VARCHAR(3),
    RELAY5NOTES VARCHAR(512), RELAY5NAME VARCHAR(31), RELAY5NC VARCHAR(31), RELAY5NO VARCHAR(31), RELAY5CONF VARCHAR(3)
);

CREATE TABLE RelayScripts (
    ID          INTEGER PRIMARY KEY AUTOINCREMENT, -- script number, given on insert
    PID         VARCHAR(4),
    NAME        VARCHAR(19),
    DESCRIPTION VARCHAR(127),
    COMMANDS    VARCHAR(512)
);
