#include "render/picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "render/picture_internal.h"

namespace qel {

using namespace picture_detail;

namespace {

struct JpegErr {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  bool truncated;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->jump, 1);
}

void JpegEmit(j_common_ptr cinfo, int level) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  if (level < 0) {
    cinfo->err->num_warnings++;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) e->truncated = true;
  }
}

// Huffman-coded data gives every block of a component at least one bit (its DC code), so a
// picture whose blocks outnumber the bits of the file cannot be in it: refused before the
// picture is allocated. Arithmetic coding has no such floor.
bool HuffmanDataTooShort(const jpeg_decompress_struct& cinfo, size_t size) {
  uint64_t fewest = UINT64_MAX;
  for (int i = 0; i < cinfo.num_components; ++i) {
    const jpeg_component_info& c = cinfo.comp_info[i];
    fewest = std::min<uint64_t>(fewest, static_cast<uint64_t>(c.width_in_blocks) * c.height_in_blocks);
  }
  return cinfo.num_components > 0 && fewest > static_cast<uint64_t>(size) * 8;
}

// Pixels read as C M Y K bytes become the colour they print: each colour is what its ink and
// the black ink leave of white. Files with the Adobe marker store every ink inverted (0 full
// ink), as the programs that write them do.
void InksToColour(TBitmap32& picture, bool inverted) {
  for (uint32_t& p : picture.pixels) {
    uint8_t ink[4];
    std::memcpy(ink, &p, 4);
    if (!inverted)
      for (uint8_t& v : ink) v = static_cast<uint8_t>(255 - v);
    auto left = [&](int i) { return static_cast<uint32_t>((ink[i] * ink[3] + 127) / 255); };
    p = (left(0) << 16) | (left(1) << 8) | left(2);
  }
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, TBitmap32& out, std::string* error) {
  out = TBitmap32{};
  if (!data || size < 4) return Fail(out, error, "jpeg: too short");
  jpeg_decompress_struct cinfo;
  JpegErr jerr;
  std::memset(&jerr, 0, sizeof jerr);
  cinfo.err = jpeg_std_error(&jerr.mgr);
  jerr.mgr.error_exit = JpegErrorExit;
  jerr.mgr.emit_message = JpegEmit;
  // Everything that must survive a longjmp lives outside the protected region.
  TBitmap32* volatile target = new TBitmap32();
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    std::string msg = std::string("jpeg: ") + jerr.message;
    out = TBitmap32{};
    if (error) *error = msg;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool inks = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  if (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.jpeg_color_space != JCS_YCbCr &&
      cinfo.jpeg_color_space != JCS_RGB && !inks) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    return Fail(out, error, "jpeg: unsupported colour space");
  }
  if (!SizeOk(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    return Fail(out, error, "jpeg: bad size");
  }
  if (!cinfo.arith_code && HuffmanDataTooShort(cinfo, size)) {
    jpeg_destroy_decompress(&cinfo);
    delete target;
    return Fail(out, error, "jpeg: too little data for its size");
  }
  // Four-ink rows are read into the picture's own memory, four bytes a pixel, and turned into
  // colour there.
  cinfo.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  target->Resize(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  while (cinfo.output_scanline < cinfo.output_height && !jerr.truncated) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&target->pixels[static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  bool truncated = jerr.truncated;
  if (!truncated) jpeg_finish_decompress(&cinfo);
  truncated = truncated || jerr.truncated;
  jpeg_destroy_decompress(&cinfo);
  if (truncated) {
    delete target;
    return Fail(out, error, "jpeg: premature end of data");
  }
  if (inks) InksToColour(*target, cinfo.saw_Adobe_marker);
  for (uint32_t& p : target->pixels) p |= 0xFF000000u;
  out = std::move(*target);
  delete target;
  return true;
}


}  // namespace qel
