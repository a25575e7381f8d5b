#include "engine/viewer/PageHost.h"

#include "engine/base/Rect.h"
#include "engine/canvas/Canvas.h"
#include "engine/layout/SectionList.h"

#include <QWidget>

TPageHost::TPageHost(QWidget& surface) : surface_(surface)
{
    QObject::connect(&animationClock_, &QTimer::timeout, [this] {
        if (document_ && drawn_)
            document_->AnimationTick(*drawn_);
    });
}

void TPageHost::RepaintBand(const TRect& band)
{
    surface_.update(zoom_ ? zoom_->ToScreen(band) : ToQRect(band));
}

void TPageHost::StartAnimationClock(int intervalMs)
{
    animationClock_.start(intervalMs);
}

void TPageHost::StopAnimationClock()
{
    animationClock_.stop();
}
