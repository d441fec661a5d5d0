#include "platform/netbios/nbds_datagram.h"

#include "platform/byte_reader.h"

namespace pelimo::platform {
namespace {

constexpr std::size_t kPrefixLength = sizeof kMailslotPrefix - 1;

DatagramDecodeResult failure(DatagramError error) {
    return {std::nullopt, error};
}

bool startsWithMailslotPrefix(QByteArrayView name) {
    return name.size() >= static_cast<qsizetype>(kPrefixLength) &&
           name.first(kPrefixLength)
                   .compare(QByteArrayView(kMailslotPrefix), Qt::CaseInsensitive) == 0;
}

// Where the data starts in the SMB part: after the NUL-terminated name, aligned.
std::size_t smbDataOffset(std::size_t mailslotNameSize) {
    const std::size_t nameEnd = smb::kMailslotNameOffset + mailslotNameSize + 1;
    return (nameEnd + smb::kDataAlignment - 1) / smb::kDataAlignment * smb::kDataAlignment;
}

// The SMB part: the transaction request of one mailslot write.
void encodeMailslotWrite(ByteWriter& out, const MailslotDatagram& datagram) {
    const std::size_t smbStart = out.size();
    out.bytes("\xFFSMB");
    out.u8(smb::kCommandTransaction);
    out.zeros(smb::kHeaderSize - 5);

    const std::size_t nameEnd =
        smb::kMailslotNameOffset + static_cast<std::size_t>(datagram.mailslotName.size()) + 1;
    const std::size_t dataOffset =
        smbDataOffset(static_cast<std::size_t>(datagram.mailslotName.size()));
    const auto dataCount = static_cast<std::uint16_t>(datagram.data.size());
    const auto offset16 = static_cast<std::uint16_t>(dataOffset);

    out.u8(smb::kTransactionWordCount);
    out.u16le(0);          // TotalParameterCount
    out.u16le(dataCount);  // TotalDataCount
    out.u16le(0);          // MaxParameterCount
    out.u16le(0);          // MaxDataCount
    out.u8(0);             // MaxSetupCount
    out.u8(0);             // Reserved1
    out.u16le(smb::kTransactionNoResponse);
    out.u32le(0);          // Timeout
    out.u16le(0);          // Reserved2
    out.u16le(0);          // ParameterCount
    out.u16le(offset16);   // ParameterOffset
    out.u16le(dataCount);  // DataCount
    out.u16le(offset16);   // DataOffset
    out.u8(smb::kMailslotSetupCount);
    out.u8(0);  // Reserved3
    out.u16le(smb::kMailslotWriteOpcode);
    out.u16le(smb::kMailslotPriority);
    out.u16le(smb::kMailslotClassUnreliable);
    const std::size_t padding = dataOffset - nameEnd;
    out.u16le(static_cast<std::uint16_t>(nameEnd - smb::kMailslotNameOffset + padding +
                                         datagram.data.size()));  // ByteCount
    out.bytes(datagram.mailslotName);
    out.u8(0);
    out.zeros(padding);
    Q_ASSERT(out.size() - smbStart == dataOffset);
    out.bytes(datagram.data);
}

}  // namespace

QByteArray encodeMailslotDatagram(const MailslotDatagram& datagram) {
    const std::size_t fixedSize =
        nbds::kHeaderSize + 2 * kEncodedNameSize + smb::kMailslotNameOffset + smb::kDataAlignment;
    if (fixedSize + static_cast<std::size_t>(datagram.mailslotName.size() + datagram.data.size()) >
        nbds::kMaxPacketSize) {
        return {};
    }
    QByteArray packet;
    packet.reserve(nbds::kHeaderSize + 2 * kEncodedNameSize + smb::kMailslotNameOffset +
                   datagram.mailslotName.size() + smb::kDataAlignment + datagram.data.size());
    ByteWriter out(packet);
    out.u8(datagram.messageType);
    out.u8(nbds::kFlagsBNode);
    out.u16be(datagram.datagramId);
    out.u32be(datagram.sourceIp);
    out.u16be(datagram.sourcePort);
    const std::size_t lengthField = out.size();
    out.u16be(0);  // DGM_LENGTH, set below
    out.u16be(0);  // PACKET_OFFSET
    writeNetbiosName(out, datagram.source.name, datagram.source.suffix);
    writeNetbiosName(out, datagram.destination.name, datagram.destination.suffix);
    encodeMailslotWrite(out, datagram);
    out.patchU16be(lengthField, static_cast<std::uint16_t>(out.size() - nbds::kHeaderSize));
    return packet;
}

DatagramDecodeResult decodeMailslotDatagram(QByteArrayView packet) {
    ByteReader in(packet);
    MailslotDatagram datagram;
    datagram.messageType = in.u8();
    const std::uint8_t flags = in.u8();
    datagram.datagramId = in.u16be();
    datagram.sourceIp = in.u32be();
    datagram.sourcePort = in.u16be();
    in.skip(4);  // DGM_LENGTH and PACKET_OFFSET: the packet's own size is what counts
    if (!in.ok())
        return failure(DatagramError::Truncated);
    if (datagram.messageType != nbds::kDirectUnique && datagram.messageType != nbds::kDirectGroup &&
        datagram.messageType != nbds::kBroadcast) {
        return failure(DatagramError::NotDirectDatagram);
    }
    if ((flags & nbds::kFlagMore) != 0 || (flags & nbds::kFlagFirst) == 0) {
        return failure(DatagramError::Fragment);
    }
    const auto source = decodeNetbiosName(in);
    const auto destination = decodeNetbiosName(in);
    if (!source || !destination) {
        return failure(DatagramError::BadName);
    }
    datagram.source = *source;
    datagram.destination = *destination;

    const std::size_t smbStart = in.position();
    ByteReader smbIn(packet.sliced(static_cast<qsizetype>(smbStart)));
    const QByteArrayView signature = smbIn.bytes(4);
    if (!smbIn.ok() || signature != QByteArrayView("\xFFSMB"))
        return failure(DatagramError::NotSmb);
    if (smbIn.u8() != smb::kCommandTransaction)
        return failure(DatagramError::NotTransaction);
    smbIn.seek(smb::kHeaderSize);
    const std::uint8_t wordCount = smbIn.u8();
    smbIn.skip(2 * 11);  // counts, flags, timeout and the parameter fields up to DataCount
    const std::uint16_t dataCount = smbIn.u16le();
    const std::uint16_t dataOffset = smbIn.u16le();
    const std::uint8_t setupCount = smbIn.u8();
    smbIn.skip(1);
    const std::uint16_t opcode = smbIn.u16le();
    smbIn.skip(2 * 2 + 2);  // priority, class, ByteCount
    if (!smbIn.ok())
        return failure(DatagramError::Truncated);
    if (wordCount != smb::kTransactionWordCount || setupCount != smb::kMailslotSetupCount ||
        opcode != smb::kMailslotWriteOpcode) {
        return failure(DatagramError::NotMailslotWrite);
    }
    const QByteArrayView name = smbIn.nulTerminated();
    if (!smbIn.ok() || !startsWithMailslotPrefix(name)) {
        return failure(DatagramError::BadMailslotName);
    }
    datagram.mailslotName = name.toByteArray();
    // The data lies after the name and inside the packet.
    if (dataOffset < smbIn.position() ||
        static_cast<std::size_t>(dataOffset) + dataCount > smbIn.size()) {
        return failure(DatagramError::DataOutOfBounds);
    }
    if (dataCount == 0)
        return failure(DatagramError::EmptyData);
    smbIn.seek(dataOffset);
    datagram.data = smbIn.bytes(dataCount).toByteArray();
    if (!smbIn.ok())
        return failure(DatagramError::DataOutOfBounds);
    return {std::move(datagram), DatagramError::None};
}

MailslotDatagramSize mailslotDatagramSize(std::size_t mailslotNameSize, std::size_t dataSize) {
    MailslotDatagramSize size;
    size.smbMessage = smbDataOffset(mailslotNameSize) + dataSize;
    size.packet = nbds::kHeaderSize + 2 * kEncodedNameSize + size.smbMessage;
    return size;
}

QByteArray mailslotChannelOf(QByteArrayView mailslotName) {
    if (!startsWithMailslotPrefix(mailslotName))
        return {};
    return mailslotName.sliced(kPrefixLength).toByteArray();
}

}  // namespace pelimo::platform
