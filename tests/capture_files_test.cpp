// What the capture tool computes and writes without GL: how a range is split
// into pieces, timings carried between processes, and the cost plot.
#include <cstring>

#include <gtest/gtest.h>
#include <png.h>

#include <string>

#include <unistd.h>

#include <vector>

#include "capture_jobs.h"
#include "capture_output.h"
#include "cost_plot.h"

namespace {

std::string scratch(const std::string& name) { return testing::TempDir() + "/capture-files-" + name; }

}  // namespace

TEST(Pieces, SplitCoversEveryFrameOnceInNearlyEqualRuns) {
    for (long jobs : {1L, 2L, 3L, 7L}) {
        for (long count : {0L, 1L, 5L, 10L, 1471L}) {
            SCOPED_TRACE(testing::Message() << jobs << " pieces of " << count << " frames");
            std::vector<long> b = split_frames(100, 100 + count, jobs);
            ASSERT_EQ(b.size(), static_cast<size_t>(jobs + 1));
            EXPECT_EQ(b.front(), 100);
            EXPECT_EQ(b.back(), 100 + count);
            long smallest = count, largest = 0;
            for (size_t i = 1; i < b.size(); i++) {
                EXPECT_LE(b[i - 1], b[i]);
                smallest = std::min(smallest, b[i] - b[i - 1]);
                largest = std::max(largest, b[i] - b[i - 1]);
            }
            EXPECT_LE(largest - smallest, 1);
        }
    }
}

TEST(Pieces, BoundariesSurviveTheTripThroughSeconds) {
    // A piece is told its start in seconds (printed with 17 digits); it must
    // find the very frame it was given, or frames are lost or drawn twice.
    for (double fps : {10.0, 24.0, 29.97, 30.0, 60.0}) {
        for (long k = 0; k < 20000; k += 7) {
            char text[40];
            std::snprintf(text, sizeof text, "%.17g", k / fps);
            ASSERT_EQ(first_frame_at(std::strtod(text, nullptr), fps), k)
                << "frame " << k << " at " << fps << " fps";
        }
    }
    EXPECT_EQ(first_frame_at(40, 60), 2400);
    EXPECT_EQ(first_frame_at(40.001, 60), 2401);
}

TEST(Pieces, LlvmpipeThreadsAreSharedFairly) {
    EXPECT_EQ(threads_per_job(2, 2), 1);
    EXPECT_EQ(threads_per_job(16, 3), 5);
    EXPECT_EQ(threads_per_job(2, 1), 2);
    EXPECT_EQ(threads_per_job(1, 4), 1);  // never none
}

TEST(Report, SamplesSavedByPiecesReadBackInOrderWithTheirSections) {
    // One piece's samples, saved as a piece does and loaded as the parent does.
    report_add("lattice", 20.0, 0.100);
    report_add("wire torus", 34.1, 1.047, 1, 0);                       // its framing measured
    report_add("lattice", 20.1, 0.0123456789, 0, 1, {41234, 310, 9});  // its submission counted
    std::vector<ReportSample> saved = report_samples_so_far();
    std::string path = scratch("report.txt");
    ASSERT_TRUE(report_save(path));
    ASSERT_TRUE(report_load(path));
    const std::vector<ReportSample>& all = report_samples_so_far();
    ASSERT_EQ(all.size(), 2 * saved.size());
    for (size_t i = 0; i < saved.size(); i++) {
        EXPECT_EQ(all[saved.size() + i].section, saved[i].section);
        EXPECT_EQ(all[saved.size() + i].music_seconds, saved[i].music_seconds);
        EXPECT_EQ(all[saved.size() + i].seconds, saved[i].seconds);
        EXPECT_EQ(all[saved.size() + i].framed, saved[i].framed);
        EXPECT_EQ(all[saved.size() + i].mostly_clear, saved[i].mostly_clear);
        EXPECT_EQ(all[saved.size() + i].calls, saved[i].calls);
        EXPECT_EQ(all[saved.size() + i].draws, saved[i].draws);
        EXPECT_EQ(all[saved.size() + i].line_widths, saved[i].line_widths);
    }
    EXPECT_EQ(report_section_names(), (std::vector<std::string>{"lattice", "wire torus"}));
    EXPECT_EQ(all.back().calls, 41234);
    EXPECT_EQ(all.front().draws, -1);  // not counted stays not counted
    EXPECT_FALSE(report_load(scratch("absent.txt")));
    unlink(path.c_str());
}

TEST(CostPlot, LaterIsFurtherRightAndDearerIsHigher) {
    PlotSize size;
    PlotPoint cheap_early = plot_point(size, 0, 100, 1000, 10, 0.002);
    PlotPoint dear_early = plot_point(size, 0, 100, 1000, 10, 0.5);
    PlotPoint cheap_late = plot_point(size, 0, 100, 1000, 90, 0.002);
    EXPECT_LT(dear_early.y, cheap_early.y);
    EXPECT_EQ(dear_early.x, cheap_early.x);
    EXPECT_GT(cheap_late.x, cheap_early.x);
    // Log scale: 10 ms sits a third of the way from 1 ms to 1000 ms.
    PlotPoint one = plot_point(size, 0, 100, 1000, 0, 0.001), ten = plot_point(size, 0, 100, 1000, 0, 0.01),
              top = plot_point(size, 0, 100, 1000, 0, 1.0);
    EXPECT_NEAR(one.y - ten.y, (one.y - top.y) / 3.0, 1);
    // Costs under 1 ms and a single instant stay on the plot.
    PlotPoint tiny = plot_point(size, 5, 5, 1000, 5, 0.0);
    EXPECT_EQ(tiny.y, one.y);
    EXPECT_GE(tiny.x, 0);
    EXPECT_EQ(plot_top_ms({{0, 1, 0.0005}}), 10);
    EXPECT_EQ(plot_top_ms({{0, 1, 0.0005}, {0, 2, 0.100}}), 1000);
    EXPECT_EQ(plot_top_ms({{0, 1, 0.0099}}), 10);
}

TEST(CostPlot, EachFrameIsADotInItsSectionsColour) {
    std::vector<ReportSample> samples = {{0, 10, 0.003}, {1, 50, 0.300}, {0, 90, 0.020}};
    std::string path = scratch("plot.png");
    ASSERT_TRUE(cost_plot_write(path, samples, {"intro", "lattice"}, "/nonexistent-font.ttf"));
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    PlotSize size;
    ASSERT_EQ(static_cast<int>(image.width), size.width);
    ASSERT_EQ(static_cast<int>(image.height), size.height);
    auto colour_at = [&](const ReportSample& s) {
        PlotPoint p = plot_point(size, 10, 90, plot_top_ms(samples), s.music_seconds, s.seconds);
        size_t k = (static_cast<size_t>(p.y) * size.width + p.x) * 3;
        return std::vector<int>{rgb[k], rgb[k + 1], rgb[k + 2]};
    };
    std::vector<int> background{rgb[0], rgb[1], rgb[2]};
    EXPECT_NE(colour_at(samples[0]), background);
    EXPECT_EQ(colour_at(samples[0]), colour_at(samples[2]));
    EXPECT_NE(colour_at(samples[0]), colour_at(samples[1]));
    unlink(path.c_str());
}
