#pragma once
// A paint device that draws nothing and records where pictures and filled
// rectangles (the canvas's one-pixel lines among them) were drawn: tests see
// what a painting did without reading pixels.

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPoint>
#include <QRect>

#include <vector>

class TPaintRecorder : public QPaintDevice {
public:
    TPaintRecorder(int width, int height) : width_(width), height_(height) {}

    QPaintEngine* paintEngine() const override { return &engine_; }
    const std::vector<QRect>& Pictures() const { return engine_.Pictures; }
    const std::vector<QRect>& Rectangles() const { return engine_.Rectangles; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return width_;
        case PdmHeight: return height_;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class TEngine : public QPaintEngine {
    public:
        TEngine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return User; }
        void drawPixmap(const QRectF& target, const QPixmap&, const QRectF&) override
        {
            Pictures.push_back(target.toRect());
        }
        void drawImage(const QRectF& target, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
        {
            Pictures.push_back(target.toRect());
        }
        void drawRects(const QRect* rects, int count) override { Rectangles.insert(Rectangles.end(), rects, rects + count); }
        void drawRects(const QRectF* rects, int count) override
        {
            for (int index = 0; index < count; ++index)
                Rectangles.push_back(rects[index].toRect());
        }

        std::vector<QRect> Pictures;
        std::vector<QRect> Rectangles;
    };
    mutable TEngine engine_;
    int width_;
    int height_;
};
