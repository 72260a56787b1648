#include "tests/fuzz/DecodeOne.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>

// Every input the fuzzer keeps, through the decoder with the fuzzer's own checks, so
// that each ordinary build (GCC included) covers the corpus.
TEST(FuzzCorpus, EveryInputDecodesOrIsRefusedCleanly) {
    const QDir corpus(STAMPORA_TESTDATA "/../../fuzz/corpus");
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_GT(names.size(), 100);
    const int64_t saved = fw::Picture::PixelLimit();
    fw::Picture::SetPixelLimit(kFuzzPixelLimit);
    for (const QString& name : names) {
        const std::string bytes = testsupport::ReadFile(corpus.filePath(name).toStdString());
        EXPECT_TRUE(DecodeOne(QByteArray::fromStdString(bytes))) << name.toStdString();
    }
    fw::Picture::SetPixelLimit(saved);
}
