#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace vdk {

enum class Protocol { Inverter = 0, Modbus = 1 };

// How a request is addressed: to whoever listens, to one inverter number, or
// to every inverter on the line.
struct Addressing {
    enum Mode { None, Number, Broadcast };
    Mode mode = None;
    int number = 0; // 0..63, with Number
};

// One request as the encoders need it.
struct Request {
    QString comNo;      // four hexadecimal characters
    bool wide = false;  // a 4-byte parameter ("Byte" 4)
    char command = 'R'; // 'R' read, 'W' write to EEPROM, 'P' write to RAM
    QString valueText;  // decimal text of the raw value, for writes
    Addressing addressing;
    // The key pad's read of the whole panel display block (FC10): ten data
    // bytes, five registers in MODBUS, and a checksum that must hold.
    bool panel = false;
};

constexpr int kPanelBytes = 10;

// The value text of a write: leading white space, an optional sign, digits up
// to the first non-digit; no digits give 0. Every value a 32-bit register can
// hold, signed or unsigned, comes out whole (its low bits are the pattern
// sent); values beyond -2147483648..4294967295 saturate there.
qint64 ValueFromText(QStringView text);

// The two bytes of a communication number ("FA10" gives 0xFA, 0x10).
quint16 ComNoBytes(QStringView comNo);
bool IsFc10(QStringView comNo);

// Standard MODBUS CRC-16 (initial 0xFFFF, reflected polynomial 0xA001).
quint16 Crc16(const char* data, qsizetype size);
quint8 ByteSum(const char* data, qsizetype size);

// The ten data bytes of a panel block reply of `n` bytes.
QByteArray PanelData(Protocol protocol, const QByteArray& reply, int n);

// The maker's binary protocol.
QByteArray EncodeInverterRequest(const Request& request);
int InverterReplyLength(const Request& request);
// Byte n (from 1) is the low 8 bits of the sum of bytes 1..n-1.
bool CheckInverterReply(const QByteArray& reply, int n);
quint32 DecodeInverterReply(const QByteArray& reply, const Request& request);

// Whether `bytes` can begin the reply to `request`: every byte the reply is
// known to hold in advance agrees (the header, the inverter number when one
// was sent, the command and the communication number; in MODBUS the address
// when a number was sent, the function, and the byte count or the register).
// A late answer to an earlier request does not.
bool BeginsReplyTo(Protocol protocol, const Request& request, QByteArrayView bytes);

// MODBUS-RTU: functions 03 and 06 on one 16-bit register per parameter.
QByteArray EncodeModbusRequest(const Request& request);
int ModbusReplyLength(const Request& request);
bool CheckModbusReply(const QByteArray& reply, int n);
// A MODBUS exception reply: the address, the request's function with its
// high bit set, the exception code and the CRC.
constexpr int kModbusExceptionLength = 5;
// Whether `bytes` can begin an exception reply to `request`: the address as
// its answer would carry it, then the function with the high bit set.
bool BeginsModbusException(const Request& request, QByteArrayView bytes);
// Sets `error` for a function code other than 03 or 06.
quint32 DecodeModbusReply(const QByteArray& reply, bool& error);

} // namespace vdk
