#pragma once

#include <QString>

// The names every part of the daemon shares: text identifiers for qtTrId(),
// feedback events, icons and banner styles. None of them changes at run time.

namespace KorvaText {
// Looked up with qtTrId() at the moment the text is shown. "qtn_comm_" texts
// are shared with other applications, "qtn_cell_" are ours, "qtn_offl_" belong
// to the offline-mode catalogue.
constexpr char OkButton[] = "qtn_comm_short_ok";
constexpr char SaveButton[] = "qtn_comm_save";
constexpr char CancelButton[] = "qtn_comm_cancel";
// The PIN page's emergency key as a screen reader names it, and what it says
// while the typed digits form an emergency number.
constexpr char EmergencyCallKey[] = "qtn_emer_call_key";
constexpr char EmergencyNumberTyped[] = "qtn_emer_number_typed";
constexpr char PinTwoAttemptsLeft[] = "qtn_cell_enter_pin_code_2";
constexpr char PinOneAttemptLeft[] = "qtn_cell_enter_pin_code_1";
constexpr char PukSimLocked[] = "qtn_cell_enter_puk_sim_locked";
constexpr char PinQueryTitle[] = "qtn_cell_enter_pin_code";
constexpr char WrongPin[] = "qtn_comm_cellular_pin_incorrect";
constexpr char PukQueryTitle[] = "qtn_cell_enter_puk_code";
constexpr char NewPinTitle[] = "qtn_cell_enter_new_pin";
constexpr char ReenterNewPinTitle[] = "qtn_cell_reenter_new_pin";
constexpr char NewPinsDiffer[] = "qtn_comm_cellular_pin_nomatch";
constexpr char SimRejected[] = "qtn_comm_cellular_sim_rejected";
constexpr char WrongPuk[] = "qtn_comm_cellular_puk_incorrect";
constexpr char PinChanged[] = "qtn_comm_cellular_pin_changed";
constexpr char GeneralSimError[] = "qtn_cell_general_sim_error";
constexpr char CodeTooShort[] = "qtn_cell_min_char_not_reached";
constexpr char ManualNetworkNeededTitle[] = "qtn_cell_manual_network_needed";
constexpr char ManualNetworkNeededText[] = "qtn_cell_manual_network_needed_2";
constexpr char SimRemoved[] = "qtn_cell_sim_removed";
constexpr char ModemFailure[] = "qtn_cell_modem_health_failed";
constexpr char SimRegistrationFailed[] = "qtn_cell_sim_registration_failed";
constexpr char RejectCause2[] = "qtn_cell_oc_mm2";
constexpr char RejectCause3[] = "qtn_cell_oc_mm3";
constexpr char RejectCause6[] = "qtn_cell_oc_mm6";
constexpr char ContactOperator[] = "qtn_cell_oc_contact";
constexpr char ErrorTitle[] = "qtn_cell_error";
constexpr char ProvisioningPinTitle[] = "qtn_cell_ap_pin_code_title";
constexpr char ProvisioningPinPrompt[] = "qtn_cell_enter_ap_pin";
constexpr char ProvisioningInfo[] = "qtn_cell_provisioning_info";
constexpr char ProvisioningTitle[] = "qtn_cell_provisioning_title";
constexpr char SettingsReceivedNotSaved[] = "qtn_cell_ap_received_not_saved";
constexpr char SettingsReceivedAndSaved[] = "qtn_cell_ap_received_and_saved";
constexpr char AccessPointsSaved[] = "qtn_cell_aps_saved";
constexpr char DataAccessPoint[] = "qtn_cell_data_access_point";
constexpr char MmsAccessPoint[] = "qtn_cell_mms_access_point";
constexpr char NoAccessPoint[] = "qtn_cell_none";
constexpr char OfflineQuestionTitle[] = "qtn_offl_connect_title";
constexpr char OfflineQuestion[] = "qtn_offl_connect";
} // namespace KorvaText

// Feedback events (sound, vibration) and icons.
namespace KorvaFeedback {
static const QString SimError = QStringLiteral("sim.error");
static const QString SimRejected = QStringLiteral("sim.rejected");
static const QString SimAdded = QStringLiteral("sim.added");
static const QString SimRemoved = QStringLiteral("sim.removed");
static const QString ProvisioningQuery = QStringLiteral("provisioning.query");
static const QString PinQuery = QStringLiteral("pin.query");
static const QString CellularPositive = QStringLiteral("cellular.positive");
static const QString CellularDisconnected = QStringLiteral("cellular.disconnected");
static const QString SimErrorSound = QStringLiteral("sim.error.sound");
static const QString SimErrorStrong = QStringLiteral("sim.error.strong");
static const QString IconNoSimCard = QStringLiteral("icon-m-common-no-simcard");
static const QString IconSimCard = QStringLiteral("icon-m-common-simcard");
static const QString PinQueryHaptic = QStringLiteral("pin_query");
static const QString QueryStrong = QStringLiteral("query_strong");
static const QString WarningTacticon = QStringLiteral("warning_tacticon");
static const QString WarningStrong = QStringLiteral("warning_strong");
static const QString WarningSound = QStringLiteral("warning_snd");
} // namespace KorvaFeedback

namespace KorvaBanner {
static const QString FullEvent = QStringLiteral("FullEventBanner");
static const QString ShortEvent = QStringLiteral("ShortEventBanner");
static const QString PrivateEvent = QStringLiteral("PrivateEventBanner");
static const QString Information = QStringLiteral("InformationBanner");
static const QString LockScreenEvent = QStringLiteral("LockScreenEventBanner");
static const QString System = QStringLiteral("SystemBanner");
static const QString Generic = QStringLiteral("GenericBanner");
} // namespace KorvaBanner
