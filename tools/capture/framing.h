// framing.h: how well a captured picture frames its subject, judged from the
// pixels alone: where the drawn things lie and how much of the picture is
// left at the clear colour. Pure functions over 8-bit RGB pictures, top row
// first; no GL.
//
// A pixel is "drawn" when some channel lies more than `tolerance` from the
// clear colour the frame was cleared with. The subject's centre is the
// centroid of the drawn pixels; the frame is "framed" when that centre lies
// in the central half of the picture on both axes, and "mostly clear" when
// fewer than `drawn_share_min` of its pixels are drawn. A centroid is what a
// viewer's eye settles on for one subject; two subjects at opposite edges
// also average to the middle, so read the shares beside a contact sheet.
#pragma once

#include <vector>

struct FramingRules {
    // Anti-aliased edges, the dim cloud points and video-style noise sit a few
    // levels off the clear colour; 24 of 255 keeps them out of the subject.
    int tolerance = 24;
    // Central half: the centre must lie within [0.25, 0.75] of width and height.
    double centre_margin = 0.25;
    // Under 3 % of the picture drawn reads as an empty frame: a sliver of a
    // hair ball or a few points on a wide field of clear colour.
    double drawn_share_min = 0.03;
};

struct Framing {
    double drawn_share = 0;    // drawn pixels / all pixels
    double centre_x = -1;      // centroid of the drawn pixels, 0 (left) to 1 (right)
    double centre_y = -1;      // 0 (top) to 1 (bottom); both -1 when nothing is drawn
    bool framed = false;       // a centre exists and lies in the central half
    bool mostly_clear = true;  // drawn_share below the rules' minimum
};

// `rgb` holds width x height pixels; `clear` the clear colour as 0..255.
Framing measure_framing(const std::vector<unsigned char>& rgb, int width, int height, const int clear[3],
                        const FramingRules& rules = FramingRules{});

// Running shares per section of the show.
struct FramingTally {
    long frames = 0, framed = 0, mostly_clear = 0;
};
void tally_framing(FramingTally& tally, const Framing& f);
