// Feedback: redraws the page onto itself slightly zoomed and turned, so that
// whatever was drawn leaves trails. Owns its 400 x 308 work page.
#pragma once

#include "zentrix.h"

extern defZENTRIXPAGE FeedBack;
extern long MoveOfs1, MoveOfs2;

// Offsets are kept within +-kFeedbackOffsetLimit so that the quad's corners
// stay in the range the rasterizer's 16.16 arithmetic can walk.
constexpr long kFeedbackOffsetLimit = 8000;

int AllocateFeedbackMemory();
int InitializeFeedback(defZENTRIXPAGE *EffectGFXPage);
void SetOffsets(long a, long b);
int DoFeedbackEffect(defZENTRIXPAGE *EffectGFXPage);
int DoFeedbackEffectFade(defZENTRIXPAGE *EffectGFXPage, long level);
void FreeFeedbackMemory();
