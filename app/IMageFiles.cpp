#include "app/IMageFiles.h"

#include <utility>

fw::FileTypeRef IMageFiles::pJpeg;
fw::FileTypeRef IMageFiles::pPng;
fw::FileTypeRef IMageFiles::pImageTiff;
fw::FileTypeRef IMageFiles::pImagePict;
fw::FileTypeRef IMageFiles::pImageGif;
fw::FileTypeRef IMageFiles::pImageXBmp;
fw::FileTypeRef IMageFiles::pImageJp2;

namespace {

fw::FileTypeRef Make(const char* name, const char* extensions, const char* macType,
                     const char* macCreator) {
    auto type = std::make_shared<fw::FileType>();
    type->Name = name;
    type->Extensions = extensions;
    type->MacType = macType;
    type->MacCreator = macCreator;
    // Converting it to text is what enters it in the registry.
    (void)type->ToString();
    return type;
}

} // namespace

void IMageFiles::_Initialize() {
    pJpeg = Make("image/jpeg", ".jfif;.jpe;.jpeg;.jpg", "JPEG", "prvw");
    pPng = Make("image/png", ".png", "PNGf", "ogle");
    pImageTiff = Make("image/tiff", ".jfx;.tif;.tiff", "TIFF", "????");
    pImagePict = Make("image/pict", ".pict;.pic;.pct", "PICT", "ttxt");
    pImageGif = Make("image/gif", ".gif", "GIFf", "prvw");
    pImageXBmp = Make("image/x-bmp", ".bmp;.dib", "BMPf", "ogle");
    pImageJp2 = Make("image/jp2", ".jp2", "jp2 ", "ogle");
}

fw::FileTypeRef IMageFiles::Jpeg() { return pJpeg; }

std::string IMageFiles::All() {
    return "image/jpeg;image/png;image/tiff;image/pict;image/gif;image/x-bmp;image/jp2;";
}

void IMageFiles::Release(const std::function<void(const char*)>& released) {
    const std::pair<fw::FileTypeRef*, const char*> table[] = {
        {&pJpeg, "IMageFiles.pJpeg"},         {&pPng, "IMageFiles.pPng"},
        {&pImageTiff, "IMageFiles.pImageTiff"}, {&pImagePict, "IMageFiles.pImagePict"},
        {&pImageGif, "IMageFiles.pImageGif"},   {&pImageXBmp, "IMageFiles.pImageXBmp"},
        {&pImageJp2, "IMageFiles.pImageJp2"},
    };
    for (const auto& [type, name] : table) {
        type->reset();
        if (released) released(name);
    }
}
