#pragma once

#include <litehtml.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "page/PageDrawing.h"
#include "page/PageFonts.h"
#include "page/PictureState.h"

#include <QColor>
#include <QRect>

class QPainter;

// The engine's window on Qt: text measured and drawn in the page's face, boxes and borders
// painted, pictures from the picture store once they have come, boxes of their given size until
// then.
namespace quorvel::page {

class PageContainer final : public litehtml::document_container {
  public:
    explicit PageContainer(int cssWidth);

    litehtml::uint_ptr create_font(const char* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr font) override;
    int text_width(const char* text, litehtml::uint_ptr font) override;
    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr font,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const char* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const char* src, const char* baseurl, bool redraw_on_ready) override;
    void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc,
                         const std::vector<litehtml::background_paint>& layers) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& draw_pos, bool root) override;
    void set_caption(const char*) override {}
    void set_base_url(const char*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const char*, const litehtml::element::ptr&) override {}
    void set_cursor(const char*) override {}
    void transform_text(litehtml::string& text, litehtml::text_transform tt) override;
    void import_css(litehtml::string&, const litehtml::string&, litehtml::string&) override {}
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(
        const char*, const litehtml::string_map&,
        const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::string& language, litehtml::string& culture) const override;
    void split_text(const char* text, const std::function<void(const char*)>& onWord,
                    const std::function<void(const char*)>& onSpace) override;

    // The drawing being recorded, for the engine's clips; the engine's draw calls are given it
    // as their device.
    void BeginRecording(PageDrawing* drawing);
    void EndRecording();

    // The pictures the page names, in the order first named, each in the state it was laid out
    // in.
    const std::vector<PictureSeen>& Pictures() const { return pictures_; }
    // Those laid out as a placeholder, their own size unknown when the page was laid out.
    const std::vector<std::string>& Placeheld() const { return placeheld_; }

    // The size a picture with no size of its own takes: a browser's broken-picture box.
    static constexpr int kPlaceholderPx = 16;
    static constexpr int kMaxPicturePx = 10000;

  private:
    PictureSeen* seen(std::string_view url);
    // The steps a recorded drawing replays.
    static void DrawLayer(QPainter* painter, const litehtml::background_paint& bg);
    static void DrawBorders(QPainter* painter, const litehtml::borders& borders,
                            const litehtml::position& pos);
    static void DrawListMarker(QPainter* painter, QRect box, QColor colour,
                               litehtml::list_style_type type, litehtml::uint_ptr font, int index);

    int cssWidth_;
    PageDrawing* drawing_ = nullptr;
    int clipDepth_ = 0;
    std::vector<PictureSeen> pictures_;
    std::vector<std::string> placeheld_;
    // Each font's advance so far in the run being measured, in fractions of a pixel.
    std::unordered_map<litehtml::uint_ptr, qreal> runAdvance_;
};

}  // namespace quorvel::page
