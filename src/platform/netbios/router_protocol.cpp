#include "platform/netbios/router_protocol.h"

#include "platform/byte_reader.h"
#include "platform/netbios/nbds_datagram.h"

namespace pelimo::platform::router {
namespace {

enum RecordType : std::uint8_t {
    kRegister = 1,
    kSend = 2,
    kFlush = 3,
    kStatus = 4,
    kRegistered = 0x81,
    kDeliver = 0x82,
    kFlushed = 0x83,
    kStatusReply = 0x84,
};

enum IntakeFlags : std::uint8_t {
    kRouting = 0x01,
    kReadingNmbd = 0x02,
    kPermissionDenied = 0x04,
    kPortHeld = 0x08,
};

enum SendFlags : std::uint8_t {
    kNetworkName = 0x01,
    kToAddress = 0x02,
};

void writeText(ByteWriter& out, QByteArrayView text) {
    out.u16be(static_cast<std::uint16_t>(text.size()));
    out.bytes(text);
}

// A length-prefixed text of at most `limit` bytes; the reader fails on anything longer.
QByteArray readText(ByteReader& in, std::size_t limit) {
    const std::size_t size = in.u16be();
    if (size > limit) {
        in.fail();
        return {};
    }
    return in.bytes(size).toByteArray();
}

bool fitsText(QByteArrayView text, std::size_t limit) {
    return static_cast<std::size_t>(text.size()) <= limit;
}

bool flagsWithin(std::uint8_t flags, std::uint8_t known) {
    return (flags & ~known) == 0;
}

// The record, when its bytes were exactly the record's.
template <class Record>
std::optional<Record> wholeRecord(const ByteReader& in, std::optional<Record> record) {
    if (!in.ok() || in.remaining() != 0)
        return std::nullopt;
    return record;
}

}  // namespace

QByteArray encodeProgramRecord(const ProgramRecord& record) {
    QByteArray bytes;
    ByteWriter out(bytes);
    if (const auto* registration = std::get_if<RegisterRequest>(&record)) {
        if (!fitsText(registration->channel, kMaxNameSize))
            return {};
        out.u8(kRegister);
        writeText(out, registration->channel);
    } else if (const auto* send = std::get_if<SendRequest>(&record)) {
        const OutgoingMailslotMessage& message = send->message;
        if (!fitsText(message.sender, kMaxNameSize) || !fitsText(message.addressee, kMaxNameSize) ||
            !fitsText(message.channel, kMaxNameSize) ||
            !fitsText(message.message, nbds::kMaxPacketSize)) {
            return {};
        }
        out.u8(kSend);
        out.u8(static_cast<std::uint8_t>(
            (message.addresseeSource == NameSource::Network ? kNetworkName : 0) |
            (message.destinationAddress ? kToAddress : 0)));
        out.u32be(message.destinationAddress.value_or(0));
        writeText(out, message.sender);
        writeText(out, message.addressee);
        writeText(out, message.channel);
        out.u32be(static_cast<std::uint32_t>(message.message.size()));
        out.bytes(message.message);
    } else if (const auto* flush = std::get_if<FlushRequest>(&record)) {
        out.u8(kFlush);
        out.u32be(flush->waitMs);
    } else {
        out.u8(kStatus);
    }
    return bytes;
}

std::optional<ProgramRecord> decodeProgramRecord(QByteArrayView bytes) {
    ByteReader in(bytes);
    std::optional<ProgramRecord> record;
    switch (in.u8()) {
        case kRegister: {
            RegisterRequest registration{readText(in, kMaxNameSize)};
            if (!registration.channel.isEmpty())
                record = std::move(registration);
            break;
        }
        case kSend: {
            const std::uint8_t flags = in.u8();
            const std::uint32_t address = in.u32be();
            SendRequest send;
            OutgoingMailslotMessage& message = send.message;
            message.addresseeSource =
                (flags & kNetworkName) != 0 ? NameSource::Network : NameSource::Typed;
            if ((flags & kToAddress) != 0)
                message.destinationAddress = address;
            message.sender = readText(in, kMaxNameSize);
            message.addressee = readText(in, kMaxNameSize);
            message.channel = readText(in, kMaxNameSize);
            const std::uint32_t size = in.u32be();
            if (size > nbds::kMaxPacketSize)
                in.fail();
            message.message = in.bytes(size).toByteArray();
            const bool addressed = (flags & kToAddress) != 0;
            if (flagsWithin(flags, kNetworkName | kToAddress) && (addressed || address == 0))
                record = std::move(send);
            break;
        }
        case kFlush: {
            const std::uint32_t waitMs = in.u32be();
            if (waitMs <= kMaxFlushWaitMs)
                record = FlushRequest{waitMs};
            break;
        }
        case kStatus:
            record = StatusRequest{};
            break;
        default:
            break;
    }
    return wholeRecord(in, std::move(record));
}

QByteArray encodeRouterRecord(const RouterRecord& record) {
    QByteArray bytes;
    ByteWriter out(bytes);
    if (const auto* reply = std::get_if<RegisterReply>(&record)) {
        const IntakeReport& intake = reply->intake;
        if (!fitsText(intake.nmbdSocketPath, kMaxTextSize) ||
            !fitsText(intake.portHolder, kMaxTextSize) ||
            !fitsText(intake.routerProgram, kMaxTextSize)) {
            return {};
        }
        out.u8(kRegistered);
        out.u8(static_cast<std::uint8_t>(reply->result));
        out.u8(static_cast<std::uint8_t>(
            (intake.routing ? kRouting : 0) | (intake.readingNmbd ? kReadingNmbd : 0) |
            (intake.permissionDenied ? kPermissionDenied : 0) | (intake.portHeld ? kPortHeld : 0)));
        out.u32be(static_cast<std::uint32_t>(intake.nmbdError));
        out.u16be(intake.datagramPort);
        out.u16be(intake.namePort);
        writeText(out, intake.nmbdSocketPath);
        writeText(out, intake.portHolder);
        writeText(out, intake.routerProgram);
    } else if (const auto* delivery = std::get_if<EnvelopedMessage>(&record)) {
        if (!fitsText(delivery->message, nbds::kMaxPacketSize))
            return {};
        out.u8(kDeliver);
        out.bytes(encodeMailslotEnvelope(delivery->origin, delivery->message));
    } else if (const auto* flushed = std::get_if<FlushReply>(&record)) {
        out.u8(kFlushed);
        out.u8(flushed->written ? 1 : 0);
    } else {
        const StatusReply& status = std::get<StatusReply>(record);
        out.u8(kStatusReply);
        out.u8(static_cast<std::uint8_t>((status.routing ? kRouting : 0) |
                                         (status.readingNmbd ? kReadingNmbd : 0)));
        out.u32be(status.held);
        for (const std::uint64_t count :
             {status.lost, status.delivered, status.dropped, status.duplicates}) {
            out.u32be(static_cast<std::uint32_t>(count >> 32));
            out.u32be(static_cast<std::uint32_t>(count));
        }
        out.u32be(status.receiveBufferBytes);
    }
    return bytes;
}

std::optional<RouterRecord> decodeRouterRecord(QByteArrayView bytes) {
    ByteReader in(bytes);
    std::optional<RouterRecord> record;
    switch (in.u8()) {
        case kRegistered: {
            RegisterReply reply;
            const std::uint8_t result = in.u8();
            const std::uint8_t flags = in.u8();
            IntakeReport& intake = reply.intake;
            intake.nmbdError = static_cast<std::int32_t>(in.u32be());
            intake.datagramPort = in.u16be();
            intake.namePort = in.u16be();
            intake.nmbdSocketPath = readText(in, kMaxTextSize);
            intake.portHolder = readText(in, kMaxTextSize);
            intake.routerProgram = readText(in, kMaxTextSize);
            intake.routing = (flags & kRouting) != 0;
            intake.readingNmbd = (flags & kReadingNmbd) != 0;
            intake.permissionDenied = (flags & kPermissionDenied) != 0;
            intake.portHeld = (flags & kPortHeld) != 0;
            reply.result = static_cast<RegisterResult>(result);
            if (result <= static_cast<std::uint8_t>(RegisterResult::Refused) &&
                flagsWithin(flags, kRouting | kReadingNmbd | kPermissionDenied | kPortHeld)) {
                record = std::move(reply);
            }
            break;
        }
        case kDeliver: {
            auto delivery = decodeMailslotEnvelope(bytes.sliced(1));
            if (delivery &&
                static_cast<std::size_t>(delivery->message.size()) <= nbds::kMaxPacketSize) {
                record = std::move(*delivery);
            }
            in.skip(in.remaining());
            break;
        }
        case kFlushed: {
            const std::uint8_t written = in.u8();
            if (written <= 1)
                record = FlushReply{written == 1};
            break;
        }
        case kStatusReply: {
            StatusReply status;
            const std::uint8_t flags = in.u8();
            status.routing = (flags & kRouting) != 0;
            status.readingNmbd = (flags & kReadingNmbd) != 0;
            status.held = in.u32be();
            for (std::uint64_t* count :
                 {&status.lost, &status.delivered, &status.dropped, &status.duplicates}) {
                *count = static_cast<std::uint64_t>(in.u32be()) << 32;
                *count |= in.u32be();
            }
            status.receiveBufferBytes = in.u32be();
            if (flagsWithin(flags, kRouting | kReadingNmbd))
                record = status;
            break;
        }
        default:
            break;
    }
    return wholeRecord(in, std::move(record));
}

}  // namespace pelimo::platform::router
