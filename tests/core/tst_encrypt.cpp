#include "core/Encryptit.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zarvo;

class TestEncrypt : public QObject
{
    Q_OBJECT

private slots:
    void knownVectors_data();
    void knownVectors();
    void emptyStaysEmpty();
    void lengthIsKept();
    void decryptUndoesEncrypt_data();
    void decryptUndoesEncrypt();
    void everyByteValue();
    void keyIsAdvancedWithScrambledByte();
};

// Worked out by hand from the formula (and checked with a separate script): the first byte is
// XORed with 0xB7, the high byte of 47093 = 0xB7F5.
void TestEncrypt::knownVectors_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<quint16>("key");
    QTest::addColumn<QByteArray>("scrambled");

    QTest::newRow("A") << QByteArray("A") << PasswordKey << QByteArray::fromHex("f6");
    QTest::newRow("AB") << QByteArray("AB") << PasswordKey << QByteArray::fromHex("f668");
    QTest::newRow("secret") << QByteArray("secret") << PasswordKey << QByteArray::fromHex("c47d2ad0c002");
    QTest::newRow("zeros") << QByteArray(3, '\0') << PasswordKey << QByteArray::fromHex("b73823");
    QTest::newRow("password123") << QByteArray("password123") << PasswordKey
                                 << QByteArray::fromHex("c7a352c751e57bb820f897");
    QTest::newRow("key 0") << QByteArray("abc") << quint16(0) << QByteArray::fromHex("612774");
    QTest::newRow("key 65535") << QByteArray("abc") << quint16(65535) << QByteArray::fromHex("9eef66");
    // The byte that meets the key's high byte scrambles to 0: such passwords must survive storage.
    QTest::newRow("scrambles to 0") << QByteArray("\xB7") << PasswordKey << QByteArray(1, '\0');
}

void TestEncrypt::knownVectors()
{
    QFETCH(QByteArray, plain);
    QFETCH(quint16, key);
    QFETCH(QByteArray, scrambled);
    QCOMPARE(Encrypt(plain, key).toHex(), scrambled.toHex());
    QCOMPARE(Decrypt(scrambled, key), plain);
}

void TestEncrypt::emptyStaysEmpty()
{
    QVERIFY(Encrypt({}, PasswordKey).isEmpty());
    QVERIFY(Decrypt({}, PasswordKey).isEmpty());
}

void TestEncrypt::lengthIsKept()
{
    for (int n = 0; n < 300; ++n) {
        const QByteArray plain(n, 'x');
        QCOMPARE(Encrypt(plain, PasswordKey).size(), n);
        QCOMPARE(Decrypt(plain, PasswordKey).size(), n);
    }
}

void TestEncrypt::decryptUndoesEncrypt_data()
{
    QTest::addColumn<quint16>("key");
    for (quint16 key : {quint16(0), quint16(1), quint16(255), quint16(256), PasswordKey, quint16(65535)})
        QTest::addRow("key %u", unsigned(key)) << key;
}

void TestEncrypt::decryptUndoesEncrypt()
{
    QFETCH(quint16, key);
    QRandomGenerator rng(key);
    for (int round = 0; round < 500; ++round) {
        QByteArray plain(rng.bounded(0, 64), Qt::Uninitialized);
        for (char& c : plain)
            c = static_cast<char>(rng.bounded(256));
        const QByteArray scrambled = Encrypt(plain, key);
        QCOMPARE(Decrypt(scrambled, key), plain);
    }
}

void TestEncrypt::everyByteValue()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    QCOMPARE(Decrypt(Encrypt(all, PasswordKey), PasswordKey), all);
    QByteArray backwards;
    for (int b = 255; b >= 0; --b)
        backwards += static_cast<char>(b);
    QCOMPARE(Decrypt(Encrypt(backwards, PasswordKey), PasswordKey), backwards);
}

// A change to one plain byte changes every scrambled byte after it: the key follows the output.
void TestEncrypt::keyIsAdvancedWithScrambledByte()
{
    const QByteArray a = Encrypt("aXXXXXXX", PasswordKey);
    const QByteArray b = Encrypt("bXXXXXXX", PasswordKey);
    QCOMPARE(a[0] ^ b[0], 'a' ^ 'b');
    QVERIFY(a.mid(1) != b.mid(1));
    // Decrypting a prefix gives the prefix: the key never looks ahead.
    QCOMPARE(Decrypt(a.left(3), PasswordKey), QByteArray("aXX"));
}

QTEST_GUILESS_MAIN(TestEncrypt)
#include "tst_encrypt.moc"
