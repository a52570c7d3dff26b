// Frames on their way to the screen: clipping a page rectangle, the
// latest-wins mailbox between the render and window threads, and the
// composition of a frame into a screen buffer (headless and tests).
#include "PlatformInternal.h"

#include <algorithm>
#include <cstring>

namespace {

// 5-6-5 to 0x00RRGGBB, each field widened by repeating its top bits, so
// white stays white and the 16-bit precision is what shows.
inline uint32_t Expand565(uint16_t p)
{
    const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

} // namespace

bool ClipPresentation(PlatPresentation *f)
{
    if (!f->Pixels || f->Width <= 0 || f->Height <= 0 || (f->BPP != 16 && f->BPP != 32))
        return false;
    const bool scaled = f->SrcW != f->DstW || f->SrcH != f->DstH;
    int x0 = std::max(f->SrcX, 0), y0 = std::max(f->SrcY, 0);
    int x1 = std::min(f->SrcX + f->SrcW, f->Width), y1 = std::min(f->SrcY + f->SrcH, f->Height);
    if (x1 <= x0 || y1 <= y0 || f->DstW <= 0 || f->DstH <= 0)
        return false;
    if (!scaled) {
        f->DstX += x0 - f->SrcX;
        f->DstY += y0 - f->SrcY;
        f->DstW = x1 - x0;
        f->DstH = y1 - y0;
    }
    f->SrcX = x0;
    f->SrcY = y0;
    f->SrcW = x1 - x0;
    f->SrcH = y1 - y0;
    return true;
}

void CopyToSlot(FrameSlot &slot, const PlatPresentation &f)
{
    const size_t need = static_cast<size_t>(f.SrcW) * f.SrcH;
    if (slot.Pixels.size() < need)
        slot.Pixels.resize(need);
    for (int y = 0; y < f.SrcH; y++) {
        uint32_t *out = slot.Pixels.data() + static_cast<size_t>(y) * f.SrcW;
        const size_t row = static_cast<size_t>(f.SrcY + y) * f.Width + f.SrcX;
        if (f.BPP == 32) {
            std::memcpy(out, static_cast<const uint32_t *>(f.Pixels) + row, f.SrcW * sizeof(uint32_t));
        } else {
            const uint16_t *in = static_cast<const uint16_t *>(f.Pixels) + row;
            for (int x = 0; x < f.SrcW; x++)
                out[x] = Expand565(in[x]);
        }
    }
    slot.W = f.SrcW;
    slot.H = f.SrcH;
    slot.DstX = f.DstX;
    slot.DstY = f.DstY;
    slot.DstW = f.DstW;
    slot.DstH = f.DstH;
    slot.WholeWindow = f.WholeWindow;
}

void MailboxPost(FrameMailbox &box, const PlatPresentation &frame)
{
    PlatPresentation f = frame;
    if (!ClipPresentation(&f))
        return;
    // Only the writer touches the back slot, so the copy needs no lock.
    FrameSlot &slot = box.Slots[box.Back];
    CopyToSlot(slot, f);
    std::lock_guard<std::mutex> hold(box.Lock);
    slot.Serial = ++box.Published;
    std::swap(box.Back, box.Ready);
    box.Fresh = true;
}

const FrameSlot *MailboxTake(FrameMailbox &box)
{
    std::lock_guard<std::mutex> hold(box.Lock);
    if (!box.Fresh)
        return nullptr;
    std::swap(box.Front, box.Ready);
    box.Fresh = false;
    return &box.Slots[box.Front];
}

void ComposeFrame(const FrameSlot &slot, uint32_t *screen, int sw, int sh)
{
    std::fill(screen, screen + static_cast<size_t>(sw) * sh, 0u);
    if (slot.W <= 0 || slot.H <= 0 || slot.DstW <= 0 || slot.DstH <= 0)
        return;
    const int y0 = std::max(slot.DstY, 0), y1 = std::min(slot.DstY + slot.DstH, sh);
    const int x0 = std::max(slot.DstX, 0), x1 = std::min(slot.DstX + slot.DstW, sw);
    if (x1 <= x0)
        return; // wholly beside the screen: nothing to copy
    for (int y = y0; y < y1; y++) {
        const int sy = static_cast<int>(static_cast<int64_t>(y - slot.DstY) * slot.H / slot.DstH);
        const uint32_t *in = slot.Pixels.data() + static_cast<size_t>(sy) * slot.W;
        uint32_t *out = screen + static_cast<size_t>(y) * sw;
        if (slot.DstW == slot.W) {
            std::memcpy(out + x0, in + (x0 - slot.DstX), (x1 - x0) * sizeof(uint32_t));
            continue;
        }
        for (int x = x0; x < x1; x++)
            out[x] = in[static_cast<int64_t>(x - slot.DstX) * slot.W / slot.DstW];
    }
}
