#include "app/IMageFiles.h"

#include <gtest/gtest.h>

#include <sstream>

class IMageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        IMageFiles::Release();
        IMageFiles::_Initialize();
    }
    void TearDown() override {
        IMageFiles::Release();
        IMageFiles::_Initialize();
    }
};

TEST_F(IMageFilesTest, SevenTypesAreMadeAndRegistered) {
    struct Row {
        fw::FileTypeRef type;
        const char* name;
        const char* extensions;
        const char* macType;
        const char* creator;
    };
    const Row rows[] = {
        {IMageFiles::pJpeg, "image/jpeg", ".jfif;.jpe;.jpeg;.jpg", "JPEG", "prvw"},
        {IMageFiles::pPng, "image/png", ".png", "PNGf", "ogle"},
        {IMageFiles::pImageTiff, "image/tiff", ".jfx;.tif;.tiff", "TIFF", "????"},
        {IMageFiles::pImagePict, "image/pict", ".pict;.pic;.pct", "PICT", "ttxt"},
        {IMageFiles::pImageGif, "image/gif", ".gif", "GIFf", "prvw"},
        {IMageFiles::pImageXBmp, "image/x-bmp", ".bmp;.dib", "BMPf", "ogle"},
        {IMageFiles::pImageJp2, "image/jp2", ".jp2", "jp2 ", "ogle"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(row.type) << row.name;
        EXPECT_EQ(row.type->Name, row.name);
        EXPECT_EQ(row.type->Extensions, row.extensions);
        EXPECT_EQ(row.type->MacType, row.macType);
        EXPECT_EQ(row.type->MacType.size(), 4u);
        EXPECT_EQ(row.type->MacCreator, row.creator);
        EXPECT_TRUE(fw::FileTypeRegistry::IsRegistered(row.name));
    }
}

TEST_F(IMageFilesTest, JpegIsTheSameObjectEveryTime) {
    EXPECT_EQ(IMageFiles::Jpeg(), IMageFiles::Jpeg());
    EXPECT_EQ(IMageFiles::Jpeg(), IMageFiles::pJpeg);
    EXPECT_EQ(IMageFiles::Jpeg()->Name, "image/jpeg");
}

TEST_F(IMageFilesTest, AllNamesExactlyTheRegisteredTypesAndEndsWithSemicolon) {
    const std::string all = IMageFiles::All();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), ';');
    std::istringstream in(all);
    std::string name;
    int count = 0;
    while (std::getline(in, name, ';')) {
        EXPECT_TRUE(fw::FileTypeRegistry::IsRegistered(name)) << name;
        ++count;
    }
    EXPECT_EQ(count, 7);
    EXPECT_EQ(fw::FileTypeRegistry::Count(), 7u);
}

TEST_F(IMageFilesTest, ExtensionsAreAdmittedWhateverTheirCase) {
    const std::string all = IMageFiles::All();
    for (const char* file : {"a.jfx", "b.dib", "c.JPE", "d.jfif", "e.Jpeg", "f.pct", "g.jp2", "h.TIFF",
                             "i.gif", "j.png", "k.pic"})
        EXPECT_TRUE(fw::FileTypeRegistry::Admits(all, file)) << file;
    for (const char* file : {"a.webp", "b.txt", "noextension", "c.jpg.txt", "d.j2k"})
        EXPECT_FALSE(fw::FileTypeRegistry::Admits(all, file)) << file;
}

TEST_F(IMageFilesTest, ExtensionsMapToTheirOwnType) {
    EXPECT_TRUE(fw::FileTypeRegistry::Admits("image/tiff;", "photo.jfx"));
    EXPECT_FALSE(fw::FileTypeRegistry::Admits("image/jpeg;", "photo.jfx"));
    EXPECT_TRUE(fw::FileTypeRegistry::Admits("image/x-bmp;", "photo.dib"));
    EXPECT_TRUE(fw::FileTypeRegistry::Admits(IMageFiles::Jpeg()->ToString(), "photo.JPE"));
    EXPECT_FALSE(fw::FileTypeRegistry::Admits(IMageFiles::Jpeg()->ToString(), "photo.png"));
}

TEST_F(IMageFilesTest, ReleasedTypesLeaveTheRegistry) {
    IMageFiles::Release();
    EXPECT_EQ(fw::FileTypeRegistry::Count(), 0u);
    EXPECT_FALSE(fw::FileTypeRegistry::Admits(IMageFiles::All(), "photo.jpg"));
}
