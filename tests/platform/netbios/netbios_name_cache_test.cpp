// The NetBIOS name cache: who may tell an address and for how long it is believed; the name
// check that keeps addresses and DNS names out of NetBIOS look-ups; the addresses an answer may
// go to.
#include <gtest/gtest.h>

#include "platform/ipv4_network.h"
#include "platform/netbios/netbios_name.h"
#include "platform/netbios/netbios_name_cache.h"

using namespace pelimo::platform;
using Clock = NetbiosNameCache::Clock;

TEST(NetbiosNameCache, ADatagramFillsAnUnknownNameButNeverReplacesAKnownOne) {
    NetbiosNameCache names;
    const Clock::time_point start = Clock::now();
    names.learnFromDatagram("pc1", 0x0A000001, start);
    EXPECT_EQ(names.lookup("PC1", start), 0x0A000001u) << "names match without regard to case";
    // Another host claiming the name is not believed, even after the first claim aged a while.
    names.learnFromDatagram("PC1", 0x0A000066, start + std::chrono::minutes(4));
    EXPECT_EQ(names.lookup("PC1", start + std::chrono::minutes(4)), 0x0A000001u);
    // The computer's own answer to our query is.
    names.learnFromAnswer("PC1", 0x0A000002, start + std::chrono::minutes(4));
    EXPECT_EQ(names.lookup("PC1", start + std::chrono::minutes(4)), 0x0A000002u);
    names.learnFromDatagram("PC1", 0x0A000066, start + std::chrono::minutes(13));
    EXPECT_EQ(names.lookup("PC1", start + std::chrono::minutes(13)), 0x0A000002u);

    // Entries expire: one from a datagram sooner than an answer.
    EXPECT_FALSE(names.lookup("PC1", start + std::chrono::minutes(15)));
    names.learnFromDatagram("PC2", 0x0A000003, start);
    EXPECT_FALSE(names.lookup("PC2", start + NetbiosNameCache::kDatagramLifetime));
    // Once expired, the next datagram fills the name again.
    names.learnFromDatagram("PC2", 0x0A000004, start + NetbiosNameCache::kDatagramLifetime);
    EXPECT_EQ(names.lookup("PC2", start + NetbiosNameCache::kDatagramLifetime), 0x0A000004u);
}

TEST(NetbiosNameCache, AnUnansweredNameIsRememberedForAWhileAndMayStillBeFilled) {
    NetbiosNameCache names;
    const Clock::time_point start = Clock::now();
    names.learnUnresolved("GHOST", start);
    EXPECT_TRUE(names.isUnresolved("ghost", start));
    EXPECT_FALSE(names.lookup("GHOST", start));
    EXPECT_FALSE(names.isUnresolved("GHOST", start + NetbiosNameCache::kUnresolvedLifetime));
    names.learnUnresolved("GHOST", start);
    names.learnFromDatagram("GHOST", 0x0A000009, start);
    EXPECT_EQ(names.lookup("GHOST", start), 0x0A000009u);
    names.learnUnresolved("GHOST", start);
    EXPECT_EQ(names.lookup("GHOST", start), 0x0A000009u) << "a known address stays";
}

TEST(NetbiosNameCache, AFloodOfInventedNamesNeverPushesOutAnAnswer) {
    NetbiosNameCache names;
    const Clock::time_point start = Clock::now();
    names.learnFromAnswer("REAL", 0x0A000001, start);
    for (std::size_t i = 0; i < 2 * NetbiosNameCache::kMaxNames; ++i)
        names.learnFromDatagram("F" + QByteArray::number(static_cast<qulonglong>(i)), 7, start);
    EXPECT_EQ(names.lookup("REAL", start), 0x0A000001u);
    EXPECT_FALSE(names.lookup("F2000", start)) << "the table is full: no more strangers";
    // An answer still finds room, and expired entries make room for anyone.
    names.learnFromAnswer("REAL2", 0x0A000002, start);
    EXPECT_EQ(names.lookup("REAL2", start), 0x0A000002u);
    const Clock::time_point later = start + NetbiosNameCache::kDatagramLifetime;
    names.learnFromDatagram("LATE", 0x0A000003, later);
    EXPECT_EQ(names.lookup("LATE", later), 0x0A000003u);
    EXPECT_EQ(names.lookup("REAL", later), 0x0A000001u);
}

TEST(NetbiosName, OnlyWhatCanBeAComputersNetbiosNamePassesAsOne) {
    for (const char* name : {"PC1", "pmhosta", "A", "FIFTEEN-CHARS-X", "PC_1$", "\xC9TAGE"})
        EXPECT_TRUE(isNetbiosComputerName(name)) << name;
    for (const char* name : {"", "SIXTEEN-CHARS-XY", "198.51.100.7", "evil.example.com", "a.b",
                             "PC\\1", "*", "PC 1\t", "who?", "a:b"}) {
        EXPECT_FALSE(isNetbiosComputerName(name)) << name;
    }
}

TEST(Ipv4Network, AnAnswerMayGoOnlyToAHostOfANetworkWeAreOn) {
    EXPECT_TRUE(isOnLinkHost(0x7F000001));
    EXPECT_TRUE(isOnLinkHost(0x7F000002));
    EXPECT_FALSE(isOnLinkHost(0xC6336407)) << "198.51.100.7, a documentation network";
    EXPECT_FALSE(isOnLinkHost(0x08080808));
    for (const Ipv4Interface& network : broadcastInterfaces()) {
        EXPECT_TRUE(isOnLinkHost(network.address));
        EXPECT_FALSE(isOnLinkHost(network.broadcast)) << "not a host";
    }
}
