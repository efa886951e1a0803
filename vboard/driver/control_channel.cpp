#include "vboard/driver/control_channel.h"

namespace {

constexpr ULONG kValueBytes = 512; // room for the largest value read

// Reads one value of the expected type into `out`; its size, or 0.
ULONG ReadValue(HANDLE key, const WCHAR* name, ULONG type, void* out, ULONG capacity) {
    if (!key) return 0;
    union {
        KEY_VALUE_PARTIAL_INFORMATION info;
        UCHAR bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + kValueBytes];
    } value;
    UNICODE_STRING value_name;
    RtlInitUnicodeString(&value_name, name);
    ULONG size = 0;
    if (ZwQueryValueKey(key, &value_name, KeyValuePartialInformation, &value, sizeof value,
                        &size) != STATUS_SUCCESS ||
        value.info.Type != type || value.info.DataLength > capacity)
        return 0;
    CopyBytes(out, value.info.Data, value.info.DataLength);
    return value.info.DataLength;
}

USHORT ReadWord(HANDLE key, const WCHAR* name, USHORT fallback) {
    ULONG dword = 0;
    return ReadValue(key, name, REG_DWORD, &dword, sizeof dword) == sizeof dword
               ? static_cast<USHORT>(dword)
               : fallback;
}

void CopyText(WCHAR* out, const WCHAR* in, int chars) {
    int i = 0;
    for (; i + 1 < chars && in[i] != 0; ++i)
        out[i] = in[i];
    out[i] = 0;
}

void ReadText(HANDLE key, const WCHAR* name, WCHAR* out, int chars) {
    WCHAR text[kVBoardStringChars + 1];
    const ULONG bytes = ReadValue(key, name, REG_SZ, text, sizeof text - sizeof(WCHAR));
    if (bytes < 2 * sizeof(WCHAR)) return; // absent or empty: the default stays
    text[bytes / sizeof(WCHAR)] = 0;
    CopyText(out, text, chars);
}

// The four upper-case hexadecimal digits of the product id.
void SerialNumberOf(USHORT product_id, WCHAR* out) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < 4; ++i)
        out[i] = kDigits[(product_id >> (12 - 4 * i)) & 0xF];
    out[4] = 0;
}

void ReadIdentity(VirtualBoard* board) {
    HANDLE key = board->parameters;
    board->vendor_id = ReadWord(key, VBOARD_VALUE_VENDOR_ID, board->vendor_id);
    board->product_id = ReadWord(key, VBOARD_VALUE_PRODUCT_ID, board->product_id);
    board->version_number = ReadWord(key, VBOARD_VALUE_VERSION, board->version_number);
    ReadText(key, VBOARD_VALUE_PRODUCT, board->product, kVBoardStringChars);
    ReadText(key, VBOARD_VALUE_MANUFACTURER, board->manufacturer, kVBoardStringChars);
    SerialNumberOf(board->product_id, board->serial_number);
}

void ApplyControl(VirtualBoard* board, const VBoardControl& control) {
    BoardFirmware& firmware = board->firmware;
    const bool requests = control.serial != board->applied_serial;
    if (requests && control.power_on) {
        BoardPowerOn(&firmware, "");
        board->answer_held = false;
    }
    firmware.ready = control.ready ? 1 : 0;
    firmware.silent = control.silent ? 1 : 0;
    firmware.refuses_writes = control.refuses_writes ? 1 : 0;
    firmware.short_answers = control.short_answers ? 1 : 0;
    firmware.answer_delay_ms = control.answer_delay_ms;
    char text[5];
    CopyBytes(text, control.firmware, 4);
    text[4] = 0;
    BoardSetFirmwareText(&firmware, text);
    if (!requests) return;
    for (int relay = 0; relay < 5; ++relay)
        if (control.set_relays_mask & (1 << relay))
            firmware.relays[relay] = (control.set_relays_to_no >> relay) & 1;
    if (control.set_led_mask) firmware.led_mask = control.led_mask;
    board->applied_serial = control.serial;
}

} // namespace

void SetDefaultIdentity(VirtualBoard* board) {
    board->vendor_id = 0x0000;
    board->product_id = 0x8001;
    board->version_number = 0x0100;
    CopyText(board->product, VBOARD_DEFAULT_PRODUCT, kVBoardStringChars);
    CopyText(board->manufacturer, VBOARD_DEFAULT_MANUFACTURER, kVBoardStringChars);
    SerialNumberOf(board->product_id, board->serial_number);
}

void OpenControlChannel(VirtualBoard* board) {
    if (!board->parameters &&
        IoOpenDeviceRegistryKey(board->physical, PLUGPLAY_REGKEY_DEVICE, KEY_ALL_ACCESS,
                                &board->parameters) != STATUS_SUCCESS)
        board->parameters = nullptr; // a board with the default identity
    ReadIdentity(board);
}

void CloseControlChannel(VirtualBoard* board) {
    if (board->parameters) ZwClose(board->parameters);
    board->parameters = nullptr;
}

void TakeUpControl(VirtualBoard* board) {
    VBoardControl control;
    if (ReadValue(board->parameters, VBOARD_VALUE_CONTROL, REG_BINARY, &control, sizeof control) !=
            sizeof control ||
        control.format != kVBoardFormat)
        return;
    BoardLock lock(board);
    ApplyControl(board, control);
}

void WriteState(VirtualBoard* board, const VBoardState& state) {
    if (!board->parameters) return;
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, VBOARD_VALUE_STATE);
    ZwSetValueKey(board->parameters, &name, 0, REG_BINARY, const_cast<VBoardState*>(&state),
                  sizeof state);
}
