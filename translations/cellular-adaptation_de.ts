<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="qtn_comm_short_ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_2">
        <source>2 attempts left</source>
        <translation>Noch 2 Versuche</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_1">
        <source>1 attempt left before the PIN is blocked</source>
        <translation>Noch 1 Versuch, dann wird die PIN gesperrt</translation>
    </message>
    <message id="qtn_cell_enter_puk_sim_locked">
        <source>SIM card locked. Enter the PUK code from your operator</source>
        <translation>SIM-Karte gesperrt. Geben Sie die PUK Ihres Netzbetreibers ein</translation>
    </message>
    <message id="qtn_cell_enter_pin_code">
        <source>Enter PIN code</source>
        <translation>PIN eingeben</translation>
    </message>
    <message id="qtn_comm_cellular_pin_incorrect">
        <source>Incorrect PIN code</source>
        <translation>Falsche PIN</translation>
    </message>
    <message id="qtn_cell_enter_puk_code">
        <source>Enter PUK code</source>
        <translation>PUK eingeben</translation>
    </message>
    <message id="qtn_cell_enter_new_pin">
        <source>Enter new PIN code</source>
        <translation>Neue PIN eingeben</translation>
    </message>
    <message id="qtn_cell_reenter_new_pin">
        <source>Re-enter new PIN code</source>
        <translation>Neue PIN bestätigen</translation>
    </message>
    <message id="qtn_comm_cellular_pin_nomatch">
        <source>PIN codes do not match</source>
        <translation>Die PINs stimmen nicht überein</translation>
    </message>
    <message id="qtn_comm_cellular_sim_rejected">
        <source>SIM card rejected</source>
        <translation>SIM-Karte abgelehnt</translation>
    </message>
    <message id="qtn_comm_cellular_puk_incorrect">
        <source>Incorrect PUK code</source>
        <translation>Falsche PUK</translation>
    </message>
    <message id="qtn_comm_cellular_pin_changed">
        <source>PIN code changed</source>
        <translation>PIN geändert</translation>
    </message>
    <message id="qtn_cell_general_sim_error">
        <source>SIM card error</source>
        <translation>Fehler der SIM-Karte</translation>
    </message>
    <message id="qtn_cell_min_char_not_reached">
        <source>Code too short</source>
        <translation>Code zu kurz</translation>
    </message>
    <message id="qtn_cell_manual_network_needed">
        <source>Network not available</source>
        <translation>Netz nicht verfügbar</translation>
    </message>
    <message id="qtn_cell_manual_network_needed_2">
        <source>Select a network manually in the phone network settings?</source>
        <translation>Netz in den Mobilfunknetz-Einstellungen manuell auswählen?</translation>
    </message>
    <message id="qtn_cell_sim_removed">
        <source>SIM card removed</source>
        <translation>SIM-Karte entfernt</translation>
    </message>
    <message id="qtn_cell_modem_health_failed">
        <source>The cellular modem is not working. Calls and mobile data are not available. Restart the phone.</source>
        <translation>Das Mobilfunkmodem funktioniert nicht. Anrufe und mobile Daten sind nicht verfügbar. Starten Sie das Telefon neu.</translation>
    </message>
    <message id="qtn_cell_sim_registration_failed">
        <source>SIM card registration failed</source>
        <translation>Registrierung der SIM-Karte fehlgeschlagen</translation>
    </message>
    <message id="qtn_cell_oc_mm2">
        <source>SIM card not registered in the network</source>
        <translation>SIM-Karte nicht im Netz registriert</translation>
    </message>
    <message id="qtn_cell_oc_mm3">
        <source>SIM card not allowed in the network</source>
        <translation>SIM-Karte im Netz nicht zugelassen</translation>
    </message>
    <message id="qtn_cell_oc_mm6">
        <source>Phone not allowed in the network</source>
        <translation>Telefon im Netz nicht zugelassen</translation>
    </message>
    <message id="qtn_cell_oc_contact">
        <source>Contact your network operator.</source>
        <translation>Wenden Sie sich an Ihren Netzbetreiber.</translation>
    </message>
    <message id="qtn_cell_error">
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message id="qtn_cell_ap_pin_code_title">
        <source>Settings PIN code</source>
        <translation>PIN für Einstellungen</translation>
    </message>
    <message id="qtn_cell_enter_ap_pin">
        <source>Enter the PIN code for the received settings</source>
        <translation>Geben Sie die PIN für die empfangenen Einstellungen ein</translation>
    </message>
    <message id="qtn_cell_provisioning_info">
        <source>New connection settings have been received. Select the access points to use.</source>
        <translation>Neue Verbindungseinstellungen wurden empfangen. Wählen Sie die Zugangspunkte aus, die verwendet werden sollen.</translation>
    </message>
    <message id="qtn_cell_provisioning_title">
        <source>Connection settings</source>
        <translation>Verbindungseinstellungen</translation>
    </message>
    <message id="qtn_cell_ap_received_not_saved">
        <source>Connection settings received, not saved</source>
        <translation>Verbindungseinstellungen empfangen, nicht gespeichert</translation>
    </message>
    <message id="qtn_cell_ap_received_and_saved">
        <source>Connection settings received and saved</source>
        <translation>Verbindungseinstellungen empfangen und gespeichert</translation>
    </message>
    <message id="qtn_cell_aps_saved">
        <source>Access points saved</source>
        <translation>Zugangspunkte gespeichert</translation>
    </message>
    <message id="qtn_cell_data_access_point">
        <source>Internet access point</source>
        <translation>Internet-Zugangspunkt</translation>
    </message>
    <message id="qtn_cell_mms_access_point">
        <source>MMS access point</source>
        <translation>MMS-Zugangspunkt</translation>
    </message>
    <message id="qtn_cell_none">
        <source>None</source>
        <translation>Keiner</translation>
    </message>
    <message id="qtn_cell_counters_never">
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home_n">
        <source>You have transferred %1 MB of data in your home network.</source>
        <translation>Sie haben im Heimnetz %1 MB Daten übertragen.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home">
        <source>You have transferred %1 MB of data in your home network since %2.</source>
        <translation>Sie haben seit %2 im Heimnetz %1 MB Daten übertragen.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_n">
        <source>You have transferred %1 MB of data while roaming.</source>
        <translation>Sie haben beim Roaming %1 MB Daten übertragen.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info">
        <source>You have transferred %1 MB of data while roaming since %2.</source>
        <translation>Sie haben seit %2 beim Roaming %1 MB Daten übertragen.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_question">
        <source>Data limit reached. Continue using mobile data?</source>
        <translation>Datenlimit erreicht. Mobile Daten weiter nutzen?</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_warning_info">
        <source>You will be notified after every %1 MB of data.</source>
        <translation>Sie werden nach jeweils %1 MB Daten benachrichtigt.</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_question">
        <source>Mobile data while roaming may be expensive. Allow data roaming?</source>
        <translation>Mobile Daten können beim Roaming teuer sein. Daten-Roaming zulassen?</translation>
    </message>
    <message id="qtn_comm_yes">
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message id="qtn_comm_no">
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message id="qtn_emer_dialer_title">
        <source>Emergency call</source>
        <translation>Notruf</translation>
    </message>
    <message id="qtn_emer_back">
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message id="qtn_emer_call">
        <source>Call</source>
        <translation>Anrufen</translation>
    </message>
    <message id="qtn_emer_only_emergency">
        <source>Only emergency calls are possible</source>
        <translation>Nur Notrufe möglich</translation>
    </message>
    <message id="qtn_emer_call_key">
        <source>Emergency call</source>
        <translation>Notruf</translation>
    </message>
    <message id="qtn_emer_number_typed">
        <source>The number typed is an emergency number. Press to call.</source>
        <translation>Die eingegebene Nummer ist eine Notrufnummer. Zum Anrufen drücken.</translation>
    </message>
    <message id="qtn_comm_back">
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message id="QT_LAYOUT_DIRECTION">
        <source>LTR</source>
        <translation>LTR</translation>
    </message>
</context>
</TS>
