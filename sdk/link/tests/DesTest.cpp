#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/include/devlink.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes hex(const std::string& text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        out.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    return out;
}

const Bytes kDesKey = hex("133457799BBCDFF1");
const Bytes kKey2 = hex("0123456789ABCDEF23456789ABCDEF01");
const Bytes kKey3 = hex("0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123");
const std::string kFox = "The qufck brown fox jump";
const Bytes kFoxBytes(kFox.begin(), kFox.end());

struct Vector {
    const char* what;
    Bytes key;
    Bytes plain;
    Bytes cipher;
};

TEST(Des, EcbKnownAnswers) {
    const Vector vectors[] = {
        {"DES", kDesKey, hex("0123456789ABCDEF"), hex("85E813540F0AB405")},
        {"two-key", kKey2, kFoxBytes, hex("C44862F70CF2FBDC9077D0909FA91B884CABD61FC58E0CBB")},
        {"three-key", kKey3, kFoxBytes, hex("A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B900")},
    };
    for (const Vector& v : vectors) {
        const unsigned int n = static_cast<unsigned int>(v.plain.size());
        Bytes out(n);
        Bytes back(n);
        if (v.key.size() == 8) {
            EXPECT_EQ(des_ecb_encrypt(out.data(), v.plain.data(), n, v.key.data()), n);
            EXPECT_EQ(des_ecb_decrypt(back.data(), out.data(), n, v.key.data()), 0u);
        } else {
            const unsigned int k = static_cast<unsigned int>(v.key.size());
            EXPECT_EQ(des3_ecb_encrypt(out.data(), v.plain.data(), n, v.key.data(), k), n);
            EXPECT_EQ(des3_ecb_decrypt(back.data(), out.data(), n, v.key.data(), k), n);
            Bytes viaMode0(n);
            EXPECT_EQ(des3_ecb_encrypt2(0, viaMode0.data(), v.plain.data(), n, v.key.data(), k), n);
            EXPECT_EQ(viaMode0, v.cipher) << v.what;
        }
        EXPECT_EQ(out, v.cipher) << v.what;
        EXPECT_EQ(back, v.plain) << v.what;
    }
}

TEST(Des, CbcKnownAnswersUpdateTheVector) {
    const Bytes iv = hex("1234567890ABCDEF");
    {
        Bytes out(24);
        Bytes chain = iv;
        EXPECT_EQ(des_cbc_encrypt(out.data(), kFoxBytes.data(), 24, kDesKey.data(), chain.data()),
                  24u);
        EXPECT_EQ(out, hex("22DD7F373463D1B6E93E6666CD344C06EB946E324E4F8230"));
        EXPECT_EQ(chain, hex("EB946E324E4F8230"));
        Bytes back(24);
        chain = iv;
        EXPECT_EQ(des_cbc_decrypt(back.data(), out.data(), 24, kDesKey.data(), chain.data()), 0u);
        EXPECT_EQ(back, kFoxBytes);
    }
    {
        Bytes out(24);
        Bytes chain = iv;
        EXPECT_EQ(
            des3_cbc_encrypt(out.data(), kFoxBytes.data(), 24, kKey3.data(), 24, chain.data()),
            24u);
        EXPECT_EQ(out, hex("38413D4BA2325CF1141F707471AC2CED57DB530F0123B5AC"));
        Bytes back(24);
        chain = iv;
        EXPECT_EQ(des3_cbc_decrypt(back.data(), out.data(), 24, kKey3.data(), 24, chain.data()),
                  24u);
        EXPECT_EQ(back, kFoxBytes);
    }
}

TEST(Des, ModeOneOfTheTwoMembersIsCbcWithAZeroVector) {
    const Bytes want = hex("C44862F70CF2FBDC3C73E663F3D23CF4FF7318FD670F51D9");
    Bytes out(24);
    EXPECT_EQ(des3_ecb_encrypt2(1, out.data(), kFoxBytes.data(), 24, kKey2.data(), 16), 24u);
    EXPECT_EQ(out, want);
    Bytes viaCbc(24);
    EXPECT_EQ(des3_cbc_encrypt(viaCbc.data(), kFoxBytes.data(), 24, kKey2.data(), 16, nullptr),
              24u);
    EXPECT_EQ(viaCbc, want);
    Bytes back(24);
    EXPECT_EQ(des3_ecb_decrypt2(1, back.data(), out.data(), 24, kKey2.data(), 16), 24u);
    EXPECT_EQ(back, kFoxBytes);
}

TEST(Des, PartialBlocksArePaddedWithZeros) {
    const Bytes thirteen(kFoxBytes.begin(), kFoxBytes.begin() + 13);
    Bytes padded = thirteen;
    padded.resize(16, 0);
    Bytes out(16);
    Bytes want(16);
    EXPECT_EQ(des3_ecb_encrypt(out.data(), thirteen.data(), 13, kKey2.data(), 16), 16u);
    des3_ecb_encrypt(want.data(), padded.data(), 16, kKey2.data(), 16);
    EXPECT_EQ(out, want);
    // CBC pads a copy and still reports the input length.
    Bytes cbc(16);
    Bytes cbcWant(16);
    EXPECT_EQ(des3_cbc_encrypt(cbc.data(), thirteen.data(), 13, kKey2.data(), 16, nullptr), 13u);
    des3_cbc_encrypt(cbcWant.data(), padded.data(), 16, kKey2.data(), 16, nullptr);
    EXPECT_EQ(cbc, cbcWant);
}

TEST(Des, EightByteKeyMakesTripleDesEqualSingleDes) {
    Bytes single(24);
    Bytes triple(24);
    des_ecb_encrypt(single.data(), kFoxBytes.data(), 24, kDesKey.data());
    EXPECT_EQ(des3_ecb_encrypt(triple.data(), kFoxBytes.data(), 24, kDesKey.data(), 8), 24u);
    EXPECT_EQ(triple, single);
}

TEST(Des, InputsOfTheWrongLengthAreLeftAlone) {
    const Bytes untouched(16, 0x5A);
    struct Case {
        const char* what;
        unsigned int (*call)(unsigned char* out);
        unsigned int want;
    } cases[] = {
        {"des3_ecb_decrypt of 12 bytes",
         [](unsigned char* out) {
             return des3_ecb_decrypt(out, kFoxBytes.data(), 12, kKey2.data(), 16);
         },
         1},
        {"des_ecb_decrypt of 12 bytes",
         [](unsigned char* out) {
             return des_ecb_decrypt(out, kFoxBytes.data(), 12, kDesKey.data());
         },
         1},
        {"des3_cbc_decrypt of 12 bytes",
         [](unsigned char* out) {
             return des3_cbc_decrypt(out, kFoxBytes.data(), 12, kKey2.data(), 16, nullptr);
         },
         1},
        {"des3_ecb_decrypt2 mode 1 of 7 bytes",
         [](unsigned char* out) {
             return des3_ecb_decrypt2(1, out, kFoxBytes.data(), 7, kKey2.data(), 16);
         },
         7},
        {"des3_ecb_encrypt with a 10-byte key",
         [](unsigned char* out) {
             return des3_ecb_encrypt(out, kFoxBytes.data(), 16, kKey3.data(), 10);
         },
         0},
        {"des3_cbc_encrypt with an 8-byte key",
         [](unsigned char* out) {
             return des3_cbc_encrypt(out, kFoxBytes.data(), 16, kDesKey.data(), 8, nullptr);
         },
         0},
    };
    for (const Case& c : cases) {
        Bytes out = untouched;
        EXPECT_EQ(c.call(out.data()), c.want) << c.what;
        EXPECT_EQ(out, untouched) << c.what;
    }
}

TEST(Des, ModeOneMembersTakeInputsBeyond512Bytes) {
    Bytes plain(1024);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<unsigned char>(i * 7);
    Bytes cipher(1024);
    Bytes back(1024);
    EXPECT_EQ(des3_ecb_encrypt2(1, cipher.data(), plain.data(), 1024, kKey3.data(), 24), 1024u);
    Bytes viaCbc(1024);
    des3_cbc_encrypt(viaCbc.data(), plain.data(), 1024, kKey3.data(), 24, nullptr);
    EXPECT_EQ(cipher, viaCbc);
    EXPECT_EQ(des3_ecb_decrypt2(1, back.data(), cipher.data(), 1024, kKey3.data(), 24), 1024u);
    EXPECT_EQ(back, plain);
}

}  // namespace
