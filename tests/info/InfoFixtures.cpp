#include "tests/info/InfoFixtures.h"

#include "platform/media/MediaPlayerControl.h"

namespace info_test {

namespace {

// Installed before any test runs, so SA never holds the real engine here.
class FakeEngineEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        rt::MediaPlayerControl::setEngineFactoryForTesting(
            [] { return std::make_unique<rt::FakeMediaPlayer>(); });
    }
    void TearDown() override { rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new FakeEngineEnvironment);

QByteArray padded(QByteArray field, int width) {
    field.truncate(width);
    return field + QByteArray(width - field.size(), '\0');
}

} // namespace

rt::FakeMediaPlayer& fakeEngine() {
    return dynamic_cast<rt::FakeMediaPlayer&>(player::sa().engine());
}

QByteArray id3v1Block(const Id3v1& tag) {
    constexpr int kTextWidth = 30;
    constexpr int kYearWidth = 4;
    return tag.marker + padded(tag.title, kTextWidth) + padded(tag.artist, kTextWidth) +
           padded(tag.album, kTextWidth) + padded(tag.year, kYearWidth) + padded(tag.comment, kTextWidth) +
           QByteArray(1, char(tag.genre));
}

QByteArray audioBytes(int count) {
    QByteArray bytes(count, '\0');
    for (int k = 0; k < count; ++k)
        bytes[k] = char(0x80 | (k * 37 % 0x7F)); // above 127: never a letter of "tag"
    return bytes;
}

QByteArray le16(std::int16_t value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(std::int32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray wavBytes(const WavHeader& header) {
    constexpr std::int16_t kPcm = 1;
    const std::int16_t blockAlign = std::int16_t(header.channels * (header.bits / 8));
    QByteArray format = "fmt " + le32(16) + le16(kPcm) + le16(header.channels) + le32(header.sampleRate) +
                        le32(header.sampleRate * blockAlign) + le16(blockAlign) + le16(header.bits);
    const QByteArray data = "data" + le32(header.dataBytes) + QByteArray(header.dataBytes, '\0');
    const std::uint32_t riffSize =
        header.riffSize ? header.riffSize : std::uint32_t(4 + format.size() + data.size());
    return "RIFF" + le32(std::int32_t(riffSize)) + "WAVE" + format + data;
}

InfoTest::InfoTest() {
    rt::shell::setMessageBoxResponderForTesting([this](const rt::shell::MessageBoxRequest& request) {
        messages.push_back(request);
        return rt::shell::vbOK;
    });
}

InfoTest::~InfoTest() {
    rt::shell::setMessageBoxResponderForTesting({});
    player::infoFile().Unload();
    player::acerca().Unload();
    playlist::playList().Unload();
    player::sa().Hide();
    fakeEngine().setURL({});
    player::player().Hide();
    rt::Graveyard::flushIfIdle();
}

QString InfoTest::file(const QString& name, const QByteArray& bytes) const {
    drive.makeFile(name, bytes);
    return drive.windows(name);
}

int InfoTest::openFileCount() {
    int count = 0;
    for (int number = rt::kFirstFileNumber; number <= rt::kLastFileNumber; ++number)
        count += rt::isOpen(number) ? 1 : 0;
    return count;
}

} // namespace info_test
