// The NetBIOS datagram and name packets: golden bytes, round trips and hostile input.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "common/test_folder.h"
#include "platform/netbios/nbds_datagram.h"
#include "platform/netbios/netbios_name_query.h"

using namespace pelimo::platform;

namespace {

// Built by an independent encoder: PC1<00> to PC2<00>, DIRECT_UNIQUE, DGM_ID 0x1234,
// source 10.99.0.1, data "PC1" NUL "PC2" NUL "1Hello" NUL.
const char kGoldenUniqueByField[] =
    "100212340a630001008a00ab0000"  // type, flags, id, source IP, port 138, length 171, offset 0
    "20464145444442434143414341434143414341434143414341434143414341414100"  // PC1<00>
    "20464145444443434143414341434143414341434143414341434143414341414100"  // PC2<00>
    "ff534d4225000000000000000000000000000000000000000000000000000000"      // SMB header, 0x25
    "11"                                                                    // WordCount 17
    "0000"
    "0f00"  // TotalParameterCount 0, TotalDataCount 15
    "0000"
    "0000"
    "00"
    "00"    // MaxParameterCount, MaxDataCount, MaxSetupCount, reserved
    "0200"  // Flags: no response
    "00000000"
    "0000"  // Timeout, reserved
    "0000"
    "5800"  // ParameterCount 0, ParameterOffset 88
    "0f00"
    "5800"  // DataCount 15, DataOffset 88
    "03"
    "00"
    "0100"
    "0000"
    "0200"                                // SetupCount 3: write, priority 0, class 2
    "2200"                                // ByteCount 34
    "5c4d41494c534c4f545c70656c696d6f00"  // \MAILSLOT\pelimo NUL
    "0000"                                // padding to DataOffset
    "50433100504332003148656c6c6f00";     // the data

// The same datagram in one block, as a capture prints it.
const char kGoldenUniqueHex[] =
    "100212340a630001008a00ab0000204641454444424341434143414341434143414341434143414341434143"
    "4141410020464145444443434143414341434143414341434143414341434143414341414100ff534d422500"
    "00000000000000000000000000000000000000000000000000001100000f0000000000000002000000000000"
    "00000058000f005800030001000000020022005c4d41494c534c4f545c70656c696d6f000000504331005043"
    "32003148656c6c6f00";

// PC1<00> to WORKGROUP<00>, DIRECT_GROUP, DGM_ID 0x0042, source 10.99.0.1, the identification
// request.
const char kGoldenGroupHex[] =
    "110200420a630001008a00cb0000204641454444424341434143414341434143414341434143414341434143"
    "4141410020464845504643454c45484643455046464641434143414341434143414341414100ff534d422500"
    "00000000000000000000000000000000000000000000000000001100002f0000000000000002000000000000"
    "00000058002f005800030001000000020042005c4d41494c534c4f545c70656c696d6f00000050433100574f"
    "524b47524f5550003350656c696d6f203a204964656e74696669636174696f6e205265717565737400";

MailslotDatagram datagramOf(std::uint8_t type, std::uint16_t id, const char* destination,
                            QByteArray data) {
    MailslotDatagram datagram;
    datagram.messageType = type;
    datagram.datagramId = id;
    datagram.sourceIp = 0x0A630001;  // 10.99.0.1
    datagram.sourcePort = 138;
    datagram.source = {"PC1", kSuffixWorkstation};
    datagram.destination = {destination, kSuffixWorkstation};
    datagram.mailslotName = "\\MAILSLOT\\pelimo";
    datagram.data = std::move(data);
    return datagram;
}

MailslotDatagram goldenUnique() {
    return datagramOf(nbds::kDirectUnique, 0x1234, "PC2",
                      QByteArray("PC1\0PC2\0"
                                 "1Hello\0",
                                 15));
}

MailslotDatagram goldenGroup() {
    return datagramOf(nbds::kDirectGroup, 0x0042, "WORKGROUP",
                      QByteArray("PC1\0WORKGROUP\0"
                                 "3Pelimo : Identification Request\0",
                                 47));
}

}  // namespace

TEST(NetbiosName, FirstLevelEncodingFollowsTheRfcExample) {
    // RFC 1002: FRED padded with blanks (the 16th byte a blank too).
    EXPECT_EQ(encodeNetbiosName("FRED", 0x20), QByteArray("\x20"
                                                          "EGFCEFEECACACACACACACACACACACACA",
                                                          33) +
                                                   QByteArray(1, '\0'));
    // Lower case is upper-cased, longer names cut to 15 bytes, the suffix is the 16th byte.
    EXPECT_EQ(encodeNetbiosName("fred", 0x20), encodeNetbiosName("FRED", 0x20));
    EXPECT_EQ(encodeNetbiosName("ABCDEFGHIJKLMNOPQ", 0x03),
              encodeNetbiosName("ABCDEFGHIJKLMNO", 0x03));
    EXPECT_EQ(encodeNetbiosName("PC1", 0x03).mid(31, 2), QByteArray("AD"));
}

TEST(NetbiosName, DecodingRefusesWhatIsNotOneEncodedName) {
    const QByteArray good = encodeNetbiosName("PC1", 0x03);
    ByteReader reader(good);
    const auto name = decodeNetbiosName(reader);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->name, QByteArray("PC1"));
    EXPECT_EQ(name->suffix, 0x03);

    // Another program may put lower-case letters on the wire: they read as the same name.
    const QByteArray lower = QByteArray(
                                 "\x20"
                                 "EIEPFDGEECCACACACACACACACACACAAA",
                                 33) +
                             QByteArray(1, '\0');
    ByteReader lowerReader(lower);
    EXPECT_EQ(decodeNetbiosName(lowerReader), (NetbiosName{"HOSDB", 0x00}));

    QByteArray badLetter = good;
    badLetter[5] = 'Q';  // outside 'A'..'P'
    QByteArray scoped = good;
    scoped.chop(1);
    scoped += QByteArray(
                  "\x03"
                  "lan",
                  4) +
              QByteArray(1, '\0');
    QByteArray shortLabel = good;
    shortLabel[0] = 0x1F;
    for (const QByteArray& bad : {badLetter, scoped, shortLabel, good.left(20), QByteArray()}) {
        ByteReader badReader(bad);
        EXPECT_FALSE(decodeNetbiosName(badReader)) << bad.toHex().constData();
        EXPECT_FALSE(badReader.ok());
    }
}

TEST(MailslotDatagramCodec, EncoderReproducesTheGoldenDatagrams) {
    EXPECT_EQ(QByteArray(kGoldenUniqueByField), QByteArray(kGoldenUniqueHex));
    const QByteArray unique = encodeMailslotDatagram(goldenUnique());
    EXPECT_EQ(unique.size(), 185);
    EXPECT_EQ(unique.toHex(), QByteArray(kGoldenUniqueHex));
    const QByteArray group = encodeMailslotDatagram(goldenGroup());
    EXPECT_EQ(group.size(), 217);
    EXPECT_EQ(group.toHex(), QByteArray(kGoldenGroupHex));
}

TEST(MailslotDatagramCodec, DecoderReadsTheGoldenDatagrams) {
    const auto unique = decodeMailslotDatagram(QByteArray::fromHex(kGoldenUniqueHex));
    ASSERT_TRUE(unique.datagram) << static_cast<int>(unique.error);
    EXPECT_EQ(*unique.datagram, goldenUnique());
    const auto group = decodeMailslotDatagram(QByteArray::fromHex(kGoldenGroupHex));
    ASSERT_TRUE(group.datagram) << static_cast<int>(group.error);
    EXPECT_EQ(*group.datagram, goldenGroup());
    EXPECT_EQ(mailslotChannelOf(group.datagram->mailslotName), QByteArray("pelimo"));
    EXPECT_EQ(mailslotChannelOf("\\mailslot\\Other"), QByteArray("Other"));
    EXPECT_EQ(mailslotChannelOf("\\PIPE\\x"), QByteArray());
}

TEST(MailslotDatagramCodec, RoundTripsEveryNameLengthAndDataSize) {
    QRandomGenerator random(7);
    for (int nameLength = 1; nameLength <= 12; ++nameLength) {
        for (const int dataSize : {1, 2, 3, 4, 5, 100, 511, 512, 513, 4000, 65000}) {
            MailslotDatagram datagram = datagramOf(nbds::kBroadcast, 0xBEEF, "ROOM-12", {});
            datagram.mailslotName = "\\MAILSLOT\\" + QByteArray(nameLength, 'c');
            datagram.data.resize(dataSize);
            for (char& byte : datagram.data)
                byte = static_cast<char>(random.bounded(256));
            const QByteArray packet = encodeMailslotDatagram(datagram);
            ASSERT_FALSE(packet.isEmpty());
            // The data starts on a 4-byte boundary from the start of the SMB part.
            const int smbStart = nbds::kHeaderSize + 2 * kEncodedNameSize;
            EXPECT_EQ((packet.size() - dataSize - smbStart) % 4, 0);
            const auto decoded = decodeMailslotDatagram(packet);
            ASSERT_TRUE(decoded.datagram) << nameLength << " " << dataSize;
            EXPECT_EQ(*decoded.datagram, datagram);
        }
    }
    // What does not fit in one UDP datagram is not encoded at all.
    MailslotDatagram huge = goldenUnique();
    huge.data = QByteArray(70000, 'x');
    EXPECT_TRUE(encodeMailslotDatagram(huge).isEmpty());
}

TEST(MailslotDatagramCodec, EveryTruncationIsRefused) {
    const QByteArray packet = QByteArray::fromHex(kGoldenUniqueHex);
    for (qsizetype length = 0; length < packet.size(); ++length) {
        EXPECT_FALSE(decodeMailslotDatagram(packet.left(length)).datagram) << length;
    }
}

TEST(MailslotDatagramCodec, MalformedFieldsAreRefusedWithTheirReason) {
    const QByteArray golden = QByteArray::fromHex(kGoldenUniqueHex);
    const int smb = nbds::kHeaderSize + 2 * kEncodedNameSize;  // 82
    const auto withByte = [&](int offset, char value) {
        QByteArray packet = golden;
        packet[offset] = value;
        return decodeMailslotDatagram(packet).error;
    };
    const auto withWord = [&](int offset, std::uint16_t value) {
        QByteArray packet = golden;
        packet[offset] = static_cast<char>(value & 0xFF);
        packet[offset + 1] = static_cast<char>(value >> 8);
        return decodeMailslotDatagram(packet).error;
    };
    EXPECT_EQ(withByte(0, 0x13), DatagramError::NotDirectDatagram);  // error datagram
    EXPECT_EQ(withByte(0, 0x14), DatagramError::NotDirectDatagram);  // query request
    EXPECT_EQ(withByte(1, 0x03), DatagramError::Fragment);           // more fragments follow
    EXPECT_EQ(withByte(1, 0x00), DatagramError::Fragment);           // not the first fragment
    EXPECT_EQ(withByte(14, 0x1F), DatagramError::BadName);
    EXPECT_EQ(withByte(14 + 33, 0x05), DatagramError::BadName);  // a scope label
    EXPECT_EQ(withByte(smb, 0x00), DatagramError::NotSmb);
    EXPECT_EQ(withByte(smb + 4, 0x32), DatagramError::NotTransaction);
    EXPECT_EQ(withByte(smb + 32, 16), DatagramError::NotMailslotWrite);  // WordCount
    EXPECT_EQ(withByte(smb + 59, 2), DatagramError::NotMailslotWrite);   // SetupCount
    EXPECT_EQ(withWord(smb + 61, 2), DatagramError::NotMailslotWrite);   // opcode
    EXPECT_EQ(withByte(smb + 69, 'X'), DatagramError::BadMailslotName);  // "\XAILSLOT\"
    EXPECT_EQ(withWord(smb + 57, 89), DatagramError::DataOutOfBounds);   // DataOffset + 1
    EXPECT_EQ(withWord(smb + 57, 0xFFFF), DatagramError::DataOutOfBounds);
    EXPECT_EQ(withWord(smb + 57, 4), DatagramError::DataOutOfBounds);   // inside the header
    EXPECT_EQ(withWord(smb + 55, 16), DatagramError::DataOutOfBounds);  // DataCount + 1
    EXPECT_EQ(withWord(smb + 55, 0xFFFF), DatagramError::DataOutOfBounds);
    EXPECT_EQ(withWord(smb + 55, 0), DatagramError::EmptyData);
    EXPECT_EQ(withWord(smb + 57, 87), DatagramError::None);  // one padding byte is data now
    // The name's NUL is missing: the name runs into the data and finds its NUL there.
    QByteArray noNul = golden.left(smb + 69) + QByteArray("\\MAILSLOT\\pelimoXX");
    EXPECT_EQ(decodeMailslotDatagram(noNul).error, DatagramError::BadMailslotName);
    // Fields the receiver ignores may hold anything.
    EXPECT_EQ(withWord(smb + 35, 0x7777), DatagramError::None);  // TotalDataCount
    EXPECT_EQ(withByte(11, 0x42), DatagramError::None);          // DGM_LENGTH
}

TEST(MailslotDatagramCodec, GarbageNeverDecodes) {
    QRandomGenerator random(11);
    QByteArray garbage(64 * 1024, '\0');
    for (int round = 0; round < 200; ++round) {
        for (char& byte : garbage)
            byte = static_cast<char>(random.bounded(256));
        EXPECT_FALSE(decodeMailslotDatagram(garbage.left(random.bounded(garbage.size()))).datagram);
    }
    EXPECT_FALSE(decodeMailslotDatagram(QByteArray(64 * 1024, '\0')).datagram);
}

TEST(NameQueryCodec, RequestAndPositiveResponseRoundTrip) {
    const NameQueryRequest request{0x4321, {"HOSTB", kSuffixWorkstation}, true};
    const QByteArray packet = encodeNameQueryRequest(request);
    // Header: id, flags RD|B, one question; then the name, type NB, class IN.
    EXPECT_EQ(packet.left(12).toHex(), QByteArray("432101100001000000000000"));
    EXPECT_EQ(packet.size(), 12 + kEncodedNameSize + 4);
    EXPECT_EQ(packet.right(4).toHex(), QByteArray("00200001"));
    EXPECT_EQ(decodeNameQueryRequest(packet), request);
    EXPECT_FALSE(decodePositiveNameQueryResponse(packet));

    NameQueryResponse response;
    response.transactionId = 0x4321;
    response.name = {"HOSTB", kSuffixWorkstation};
    response.addresses = {{false, 0x0A630002}, {true, 0x0A630003}};
    const QByteArray answer = encodePositiveNameQueryResponse(response);
    EXPECT_EQ(answer.left(12).toHex(), QByteArray("432185000000000100000000"));
    EXPECT_EQ(answer.right(12 + 2).toHex(), QByteArray("000c00000a630002"
                                                       "80000a630003"));
    EXPECT_EQ(decodePositiveNameQueryResponse(answer), response);
    EXPECT_FALSE(decodeNameQueryRequest(answer));

    for (qsizetype length = 0; length < answer.size(); ++length) {
        // Cut inside the second address entry: the length field promises more than is there.
        EXPECT_FALSE(decodePositiveNameQueryResponse(answer.left(length))) << length;
    }
    for (qsizetype length = 0; length < packet.size(); ++length) {
        EXPECT_FALSE(decodeNameQueryRequest(packet.left(length))) << length;
    }
    QByteArray negative = answer;
    negative[3] = static_cast<char>(0x03);  // RCODE name error
    EXPECT_FALSE(decodePositiveNameQueryResponse(negative));
}
