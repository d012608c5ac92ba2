// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/display/nimbotest.h"

#include <QFile>

#include "dialog/nimboconf.h"
#include "display/nimboform.h"

namespace nimbotest {

QString pictureFileName(int color, int level) {
    return QLatin1String(nimbo::kColorWords[size_t(color)]) +
           QLatin1String(nimbo::kGlowCodes[size_t(level)]) + QStringLiteral(".gif");
}

CodeSnapshot CodeSnapshot::take() {
    using nimbo::NimboCode;
    CodeSnapshot snapshot;
    snapshot.startChannel = NimboCode.StartChannel;
    for (int i = 0; i < 9; ++i) snapshot.colors[size_t(i)] = NimboCode.NimboColor(i);
    snapshot.colorsSet = NimboCode.ColorsSet;
    for (int k = 0; k < 9; ++k)
        for (int level = 0; level < 7; ++level)
            snapshot.pictures[size_t(k * 7 + level)] = NimboCode.NimboPicture(k, level).get();
    snapshot.helper = NimboCode.PluginHelper.get();
    return snapshot;
}

void NimboTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    for (int k = 0; k < 9; ++k)
        for (int level = 0; level < 7; ++level) restorePicture(k, level);
    nimbo::setImagesFolder(m_dir.path());
    nimbo::resetNimboCode();
    m_previousPresenter = forms::setMsgBoxPresenter([this](const forms::MsgBoxRequest& request) {
        messages.push_back(request);
        return int(forms::kOk);
    });
}

void NimboTest::TearDown() {
    nimbo::NimboForm::releaseInstance();
    nimbo::NimboConf::releaseInstance();
    nimbo::resetNimboCode();
    nimbo::setImagesFolder({});
    forms::setMsgBoxPresenter(std::move(m_previousPresenter));
}

QString NimboTest::folder() const {
    return m_dir.path() + QLatin1Char('/');
}

QString NimboTest::picturePath(int color, int level) const {
    return folder() + pictureFileName(color, level);
}

void NimboTest::removePicture(int color, int level) {
    ASSERT_TRUE(QFile::remove(picturePath(color, level)));
}

void NimboTest::restorePicture(int color, int level) {
    const QString source = QStringLiteral(NIMBO_IMAGES_DIR "/") + pictureFileName(color, level);
    QFile::remove(picturePath(color, level));
    ASSERT_TRUE(QFile::copy(source, picturePath(color, level))) << source.toStdString();
}

void NimboTest::corruptPicture(int color, int level) {
    QFile file(picturePath(color, level));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("GIF89a this is not a picture at all");
}

QImage NimboTest::decodeFile(int color, int level) const {
    return QImage(picturePath(color, level), "GIF").convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace nimbotest
