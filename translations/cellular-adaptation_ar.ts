<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name></name>
    <message id="qtn_comm_short_ok">
        <source>OK</source>
        <translation>موافق</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>حفظ</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>إلغاء</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_2">
        <source>2 attempts left</source>
        <translation>تبقّت محاولتان</translation>
    </message>
    <message id="qtn_cell_enter_pin_code_1">
        <source>1 attempt left before the PIN is blocked</source>
        <translation>تبقّت محاولة واحدة قبل قفل رمز PIN</translation>
    </message>
    <message id="qtn_cell_enter_puk_sim_locked">
        <source>SIM card locked. Enter the PUK code from your operator</source>
        <translation>شريحة SIM مقفلة. أدخل رمز PUK الذي حصلت عليه من مشغّل الشبكة</translation>
    </message>
    <message id="qtn_cell_enter_pin_code">
        <source>Enter PIN code</source>
        <translation>أدخل رمز PIN</translation>
    </message>
    <message id="qtn_comm_cellular_pin_incorrect">
        <source>Incorrect PIN code</source>
        <translation>رمز PIN غير صحيح</translation>
    </message>
    <message id="qtn_cell_enter_puk_code">
        <source>Enter PUK code</source>
        <translation>أدخل رمز PUK</translation>
    </message>
    <message id="qtn_cell_enter_new_pin">
        <source>Enter new PIN code</source>
        <translation>أدخل رمز PIN الجديد</translation>
    </message>
    <message id="qtn_cell_reenter_new_pin">
        <source>Re-enter new PIN code</source>
        <translation>أعد إدخال رمز PIN الجديد</translation>
    </message>
    <message id="qtn_comm_cellular_pin_nomatch">
        <source>PIN codes do not match</source>
        <translation>رمزا PIN غير متطابقين</translation>
    </message>
    <message id="qtn_comm_cellular_sim_rejected">
        <source>SIM card rejected</source>
        <translation>تم رفض شريحة SIM</translation>
    </message>
    <message id="qtn_comm_cellular_puk_incorrect">
        <source>Incorrect PUK code</source>
        <translation>رمز PUK غير صحيح</translation>
    </message>
    <message id="qtn_comm_cellular_pin_changed">
        <source>PIN code changed</source>
        <translation>تم تغيير رمز PIN</translation>
    </message>
    <message id="qtn_cell_general_sim_error">
        <source>SIM card error</source>
        <translation>خطأ في شريحة SIM</translation>
    </message>
    <message id="qtn_cell_min_char_not_reached">
        <source>Code too short</source>
        <translation>الرمز قصير جدًا</translation>
    </message>
    <message id="qtn_cell_manual_network_needed">
        <source>Network not available</source>
        <translation>الشبكة غير متاحة</translation>
    </message>
    <message id="qtn_cell_manual_network_needed_2">
        <source>Select a network manually in the phone network settings?</source>
        <translation>هل تريد اختيار شبكة يدويًا في إعدادات شبكة الهاتف؟</translation>
    </message>
    <message id="qtn_cell_sim_removed">
        <source>SIM card removed</source>
        <translation>تمت إزالة شريحة SIM</translation>
    </message>
    <message id="qtn_cell_modem_health_failed">
        <source>The cellular modem is not working. Calls and mobile data are not available. Restart the phone.</source>
        <translation>مودم الشبكة الخلوية لا يعمل. المكالمات وبيانات الجوّال غير متاحة. أعد تشغيل الهاتف.</translation>
    </message>
    <message id="qtn_cell_sim_registration_failed">
        <source>SIM card registration failed</source>
        <translation>فشل تسجيل شريحة SIM</translation>
    </message>
    <message id="qtn_cell_oc_mm2">
        <source>SIM card not registered in the network</source>
        <translation>شريحة SIM غير مسجّلة في الشبكة</translation>
    </message>
    <message id="qtn_cell_oc_mm3">
        <source>SIM card not allowed in the network</source>
        <translation>شريحة SIM غير مسموح بها في الشبكة</translation>
    </message>
    <message id="qtn_cell_oc_mm6">
        <source>Phone not allowed in the network</source>
        <translation>الهاتف غير مسموح به في الشبكة</translation>
    </message>
    <message id="qtn_cell_oc_contact">
        <source>Contact your network operator.</source>
        <translation>اتصل بمشغّل الشبكة.</translation>
    </message>
    <message id="qtn_cell_error">
        <source>Error</source>
        <translation>خطأ</translation>
    </message>
    <message id="qtn_cell_ap_pin_code_title">
        <source>Settings PIN code</source>
        <translation>رمز PIN للإعدادات</translation>
    </message>
    <message id="qtn_cell_enter_ap_pin">
        <source>Enter the PIN code for the received settings</source>
        <translation>أدخل رمز PIN للإعدادات المستلمة</translation>
    </message>
    <message id="qtn_cell_provisioning_info">
        <source>New connection settings have been received. Select the access points to use.</source>
        <translation>تم استلام إعدادات اتصال جديدة. اختر نقاط الوصول التي تريد استخدامها.</translation>
    </message>
    <message id="qtn_cell_provisioning_title">
        <source>Connection settings</source>
        <translation>إعدادات الاتصال</translation>
    </message>
    <message id="qtn_cell_ap_received_not_saved">
        <source>Connection settings received, not saved</source>
        <translation>تم استلام إعدادات الاتصال ولم يتم حفظها</translation>
    </message>
    <message id="qtn_cell_ap_received_and_saved">
        <source>Connection settings received and saved</source>
        <translation>تم استلام إعدادات الاتصال وحفظها</translation>
    </message>
    <message id="qtn_cell_aps_saved">
        <source>Access points saved</source>
        <translation>تم حفظ نقاط الوصول</translation>
    </message>
    <message id="qtn_cell_data_access_point">
        <source>Internet access point</source>
        <translation>نقطة الوصول إلى الإنترنت</translation>
    </message>
    <message id="qtn_cell_mms_access_point">
        <source>MMS access point</source>
        <translation>نقطة وصول MMS</translation>
    </message>
    <message id="qtn_cell_none">
        <source>None</source>
        <translation>لا شيء</translation>
    </message>
    <message id="qtn_cell_counters_never">
        <source>Never</source>
        <translation>أبدًا</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home_n">
        <source>You have transferred %1 MB of data in your home network.</source>
        <translation>لقد نقلت %1 ميغابايت من البيانات في شبكتك المحلية.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_home">
        <source>You have transferred %1 MB of data in your home network since %2.</source>
        <translation>لقد نقلت %1 ميغابايت من البيانات في شبكتك المحلية منذ %2.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info_n">
        <source>You have transferred %1 MB of data while roaming.</source>
        <translation>لقد نقلت %1 ميغابايت من البيانات أثناء التجوال.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_info">
        <source>You have transferred %1 MB of data while roaming since %2.</source>
        <translation>لقد نقلت %1 ميغابايت من البيانات أثناء التجوال منذ %2.</translation>
    </message>
    <message id="qtn_cell_warning_dialog_question">
        <source>Data limit reached. Continue using mobile data?</source>
        <translation>تم بلوغ حد البيانات. هل تريد مواصلة استخدام بيانات الجوّال؟</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_warning_info">
        <source>You will be notified after every %1 MB of data.</source>
        <translation>سيتم إعلامك بعد كل %1 ميغابايت من البيانات.</translation>
    </message>
    <message id="qtn_cell_roaming_dialog_question">
        <source>Mobile data while roaming may be expensive. Allow data roaming?</source>
        <translation>قد تكون بيانات الجوّال أثناء التجوال مكلفة. هل تريد السماح بتجوال البيانات؟</translation>
    </message>
    <message id="qtn_comm_yes">
        <source>Yes</source>
        <translation>نعم</translation>
    </message>
    <message id="qtn_comm_no">
        <source>No</source>
        <translation>لا</translation>
    </message>
    <message id="qtn_emer_dialer_title">
        <source>Emergency call</source>
        <translation>مكالمة طوارئ</translation>
    </message>
    <message id="qtn_emer_back">
        <source>Back</source>
        <translation>رجوع</translation>
    </message>
    <message id="qtn_emer_call">
        <source>Call</source>
        <translation>اتصال</translation>
    </message>
    <message id="qtn_emer_only_emergency">
        <source>Only emergency calls are possible</source>
        <translation>يمكن إجراء مكالمات الطوارئ فقط</translation>
    </message>
    <message id="qtn_emer_call_key">
        <source>Emergency call</source>
        <translation>مكالمة طوارئ</translation>
    </message>
    <message id="qtn_emer_number_typed">
        <source>The number typed is an emergency number. Press to call.</source>
        <translation>الرقم المُدخل رقم طوارئ. اضغط للاتصال.</translation>
    </message>
    <message id="qtn_comm_back">
        <source>Back</source>
        <translation>رجوع</translation>
    </message>
    <message id="QT_LAYOUT_DIRECTION">
        <source>LTR</source>
        <translation>RTL</translation>
    </message>
</context>
</TS>
