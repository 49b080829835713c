<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="qtn_comm_short_ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_2">
        <source>2 attempts left</source>
        <translation>2 attempts left</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_1">
        <source>1 attempt left before the PIN is blocked</source>
        <translation>1 attempt left before the PIN is blocked</translation>
    </message>
    <message id="qtn_cell_enter_puk_sim_locked">
        <source>SIM card locked. Enter the PUK code from your operator</source>
        <translation>SIM card locked. Enter the PUK code from your operator</translation>
    </message>
    <message id="qtn_cell_enter_pin_code">
        <source>Enter PIN code</source>
        <translation>Enter PIN code</translation>
    </message>
    <message id="qtn_comm_cellular_pin_incorrect">
        <source>Incorrect PIN code</source>
        <translation>Incorrect PIN code</translation>
    </message>
    <message id="qtn_cell_enter_puk_code">
        <source>Enter PUK code</source>
        <translation>Enter PUK code</translation>
    </message>
    <message id="qtn_cell_enter_new_pin">
        <source>Enter new PIN code</source>
        <translation>Enter new PIN code</translation>
    </message>
    <message id="qtn_cell_reenter_new_pin">
        <source>Re-enter new PIN code</source>
        <translation>Re-enter new PIN code</translation>
    </message>
    <message id="qtn_comm_cellular_pin_nomatch">
        <source>PIN codes do not match</source>
        <translation>PIN codes do not match</translation>
    </message>
    <message id="qtn_comm_cellular_sim_rejected">
        <source>SIM card rejected</source>
        <translation>SIM card rejected</translation>
    </message>
    <message id="qtn_comm_cellular_puk_incorrect">
        <source>Incorrect PUK code</source>
        <translation>Incorrect PUK code</translation>
    </message>
    <message id="qtn_comm_cellular_pin_changed">
        <source>PIN code changed</source>
        <translation>PIN code changed</translation>
    </message>
    <message id="qtn_cell_general_sim_error">
        <source>SIM card error</source>
        <translation>SIM card error</translation>
    </message>
    <message id="qtn_cell_min_char_not_reached">
        <source>Code too short</source>
        <translation>Code too short</translation>
    </message>
    <message id="qtn_cell_manual_network_needed">
        <source>Network not available</source>
        <translation>Network not available</translation>
    </message>
    <message id="qtn_cell_manual_network_needed_2">
        <source>Select a network manually in the phone network settings?</source>
        <translation>Select a network manually in the phone network settings?</translation>
    </message>
    <message id="qtn_cell_sim_removed">
        <source>SIM card removed</source>
        <translation>SIM card removed</translation>
    </message>
    <message id="qtn_cell_modem_health_failed">
        <source>The cellular modem is not working. Calls and mobile data are not available. Restart the phone.</source>
        <translation>The cellular modem is not working. Calls and mobile data are not available. Restart the phone.</translation>
    </message>
    <message id="qtn_cell_sim_registration_failed">
        <source>SIM card registration failed</source>
        <translation>SIM card registration failed</translation>
    </message>
    <message id="qtn_cell_oc_mm2">
        <source>SIM card not registered in the network</source>
        <translation>SIM card not registered in the network</translation>
    </message>
    <message id="qtn_cell_oc_mm3">
        <source>SIM card not allowed in the network</source>
        <translation>SIM card not allowed in the network</translation>
    </message>
    <message id="qtn_cell_oc_mm6">
        <source>Phone not allowed in the network</source>
        <translation>Phone not allowed in the network</translation>
    </message>
    <message id="qtn_cell_oc_contact">
        <source>Contact your network operator.</source>
        <translation>Contact your network operator.</translation>
    </message>
    <message id="qtn_cell_error">
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message id="qtn_cell_ap_pin_code_title">
        <source>Settings PIN code</source>
        <translation>Settings PIN code</translation>
    </message>
    <message id="qtn_cell_enter_ap_pin">
        <source>Enter the PIN code for the received settings</source>
        <translation>Enter the PIN code for the received settings</translation>
    </message>
    <message id="qtn_cell_provisioning_info">
        <source>New connection settings have been received. Select the access points to use.</source>
        <translation>New connection settings have been received. Select the access points to use.</translation>
    </message>
    <message id="qtn_cell_provisioning_title">
        <source>Connection settings</source>
        <translation>Connection settings</translation>
    </message>
    <message id="qtn_cell_ap_received_not_saved">
        <source>Connection settings received, not saved</source>
        <translation>Connection settings received, not saved</translation>
    </message>
    <message id="qtn_cell_ap_received_and_saved">
        <source>Connection settings received and saved</source>
        <translation>Connection settings received and saved</translation>
    </message>
    <message id="qtn_cell_aps_saved">
        <source>Access points saved</source>
        <translation>Access points saved</translation>
    </message>
    <message id="qtn_cell_data_access_point">
        <source>Internet access point</source>
        <translation>Internet access point</translation>
    </message>
    <message id="qtn_cell_mms_access_point">
        <source>MMS access point</source>
        <translation>MMS access point</translation>
    </message>
    <message id="qtn_cell_none">
        <source>None</source>
        <translation>None</translation>
    </message>
    <message id="qtn_cell_counters_never">
        <source>Never</source>
        <translation>Never</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home_n">
        <source>You have transferred %1 MB of data in your home network.</source>
        <translation>You have transferred %1 MB of data in your home network.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home">
        <source>You have transferred %1 MB of data in your home network since %2.</source>
        <translation>You have transferred %1 MB of data in your home network since %2.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_n">
        <source>You have transferred %1 MB of data while roaming.</source>
        <translation>You have transferred %1 MB of data while roaming.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info">
        <source>You have transferred %1 MB of data while roaming since %2.</source>
        <translation>You have transferred %1 MB of data while roaming since %2.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_question">
        <source>Data limit reached. Continue using mobile data?</source>
        <translation>Data limit reached. Continue using mobile data?</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_warning_info">
        <source>You will be notified after every %1 MB of data.</source>
        <translation>You will be notified after every %1 MB of data.</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_question">
        <source>Mobile data while roaming may be expensive. Allow data roaming?</source>
        <translation>Mobile data while roaming may be expensive. Allow data roaming?</translation>
    </message>
    <message id="qtn_comm_yes">
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message id="qtn_comm_no">
        <source>No</source>
        <translation>No</translation>
    </message>
    <message id="qtn_emer_dialer_title">
        <source>Emergency call</source>
        <translation>Emergency call</translation>
    </message>
    <message id="qtn_emer_back">
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message id="qtn_emer_call">
        <source>Call</source>
        <translation>Call</translation>
    </message>
    <message id="qtn_emer_only_emergency">
        <source>Only emergency calls are possible</source>
        <translation>Only emergency calls are possible</translation>
    </message>
    <message id="qtn_emer_call_key">
        <source>Emergency call</source>
        <translation>Emergency call</translation>
    </message>
    <message id="qtn_emer_number_typed">
        <source>The number typed is an emergency number. Press to call.</source>
        <translation>The number typed is an emergency number. Press to call.</translation>
    </message>
    <message id="qtn_comm_back">
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message id="QT_LAYOUT_DIRECTION">
        <source>LTR</source>
        <translation>LTR</translation>
    </message>
</context>
</TS>
