// sections.h: the main show's sections by demo_time, the one list the
// timeline's windows and the tools' reports (capture, rehearsal) both read.
//
// Header only and plain arithmetic, so a tool that draws nothing can name the
// section of a moment without linking the scenes. Depends on nothing.
#pragma once

#include <cstddef>

struct ShowSection {
    const char* name;
    float end;          // demo_time units (tenths of a second)
    bool end_included;  // whether `end` itself still belongs to the section
};

enum : size_t {
    section_intro,
    section_title_plates,
    section_lattice,
    section_wire_torus,
    section_main_body,
    section_web_and_trail,
    section_sheet_bridge,
    section_countdown,
    section_flashes,
    show_section_count
};

// In order; each starts where the one before ends. The last runs to the
// finale, which the timeline decides by its own rule.
inline constexpr ShowSection show_sections[show_section_count] = {
    {"intro", 60.0f, true},          {"title plates", 190.0f, false}, {"lattice", 330.0f, true},
    {"wire torus", 375.0f, false},   {"main body", 850.0f, true},     {"web and trail", 1100.0f, true},
    {"sheet bridge", 1200.0f, true}, {"countdown", 1400.0f, true},    {"flashes and climax", 1e30f, true},
};

// Whether `time` is past the end of every section before `section`. False for
// a NaN, like the comparisons it stands for.
constexpr bool section_reached(size_t section, float time) {
    if (section == 0) return time == time;
    const ShowSection& before = show_sections[section - 1];
    return before.end_included ? time > before.end : time >= before.end;
}

// Whether `time` lies within `section`.
constexpr bool in_section(size_t section, float time) {
    return section_reached(section, time) &&
           (section + 1 == show_section_count || !section_reached(section + 1, time));
}

// The section `time` lies in (the last one for a time no section holds).
constexpr size_t section_at(float time) {
    for (size_t s = 0; s + 1 < show_section_count; ++s)
        if (!section_reached(s + 1, time)) return s;
    return show_section_count - 1;
}
