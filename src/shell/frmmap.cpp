#include "shell/frmmap.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSvgItem>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "tools/explorer.h"
#include "tools/quest_map.h"
#include "tools/render/svg_render.h"

namespace tarvik::shell {

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A map many times wider than the window must still be readable when zoomed into, and a small one no
// blur of single pixels.
constexpr double kMinZoom = 0.02;
constexpr double kMaxZoom = 8.0;
constexpr double kStep = 1.25;

}  // namespace

void MapView::Zoom(double factor) {
    const double next = zoom() * factor;
    if (next < kMinZoom || next > kMaxZoom) return;
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    scale(factor, factor);
    emit zoomed();
}

void MapView::wheelEvent(QWheelEvent* e) {
    if (!(e->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(e);
        return;
    }
    const int steps = e->angleDelta().y() / 120;
    if (steps != 0) Zoom(steps > 0 ? kStep : 1 / kStep);
    e->accept();
}

void MapView::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Plus || e->key() == Qt::Key_Equal) {
        Zoom(kStep);
    } else if (e->key() == Qt::Key_Minus) {
        Zoom(1 / kStep);
    } else {
        QGraphicsView::keyPressEvent(e);
    }
}

void MapView::resizeEvent(QResizeEvent* e) {
    QGraphicsView::resizeEvent(e);
    emit resized();
}

frmMap::frmMap(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(U("Карта квеста"));
    resize(900, 600);

    view = new MapView(this);
    view->setObjectName(QStringLiteral("view"));
    view->setScene(new QGraphicsScene(view));
    view->setDragMode(QGraphicsView::ScrollHandDrag);
    view->setRenderHint(QPainter::Antialiasing);
    view->setAccessibleName(U("Карта квеста"));

    lblLegend = new QLabel(this);
    lblLegend->setObjectName(QStringLiteral("lblLegend"));
    lblLegend->setWordWrap(true);
    // Room for the findings of an exploration, which take more lines than the legend.
    lblLegend->setMinimumHeight(lblLegend->fontMetrics().lineSpacing() * 3);
    lblLegend->setText(
        U("Сплошные стрелки — кнопки, пунктир — переходы goto, точки — вызовы proc. "
          "Ctrl+колесо или + и − меняют масштаб."));

    cmdZoomIn = new QPushButton(U("&Крупнее"), this);
    cmdZoomOut = new QPushButton(U("&Мельче"), this);
    cmdFit = new QPushButton(U("По &размеру окна"), this);
    cmdExplore = new QPushButton(U("&Исследовать все пути"), this);
    cmdExplore->setToolTip(
        U("Пройти все пути квеста и отметить недостижимые метки (серые), тупики "
          "(оранжевые) и ошибки (красная рамка)"));
    auto* close = new QPushButton(U("&Закрыть"), this);
    connect(cmdZoomIn, &QPushButton::clicked, this, [this] { ZoomBy(kStep); });
    connect(cmdZoomOut, &QPushButton::clicked, this, [this] { ZoomBy(1 / kStep); });
    connect(view, &MapView::zoomed, this, [this] { m_Zoomed = true; });
    connect(view, &MapView::resized, this, [this] {
        if (!m_Zoomed) FitToWindow();
    });
    connect(cmdFit, &QPushButton::clicked, this, [this] { FitToWindow(); });
    connect(cmdExplore, &QPushButton::clicked, this, [this] { ShowQuest(m_Quest, true); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdZoomIn);
    buttons->addWidget(cmdZoomOut);
    buttons->addWidget(cmdFit);
    buttons->addStretch();
    buttons->addWidget(cmdExplore);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(lblLegend);
    layout->addLayout(buttons);
}

bool frmMap::ShowQuest(const std::string& nativePath, bool explore) {
    m_Quest = nativePath;
    view->scene()->clear();
    svgItem = nullptr;
    const tools::QuestMap map = tools::ReadQuestMap(nativePath);
    if (!map.readable) {
        lblLegend->setText(U("Не удалось прочитать файл квеста."));
        return false;
    }
    tools::ExploreResult exploration;
    if (explore) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        exploration = tools::Explore(nativePath, {});
        QApplication::restoreOverrideCursor();
    }
    std::string svg, error;
    if (!tools::RenderDotToSvg(tools::QuestMapDot(map, explore ? &exploration : nullptr), svg, error)) {
        lblLegend->setText(U("Не удалось нарисовать карту: ") + QString::fromStdString(error));
        return false;
    }
    delete m_Renderer;
    m_Renderer = new QSvgRenderer(QByteArray::fromStdString(svg), this);
    svgItem = new QGraphicsSvgItem;
    svgItem->setSharedRenderer(m_Renderer);
    view->scene()->addItem(svgItem);
    view->scene()->setSceneRect(svgItem->boundingRect());
    if (explore) {
        lblLegend->setText(
            U("Исследовано состояний: %1%2. Метки: достигнуто %3 из %4; тупиков: %5; ошибок: %6. "
              "Серые — недостижимые метки, оранжевые — тупики, красная рамка — ошибки.")
                .arg(exploration.states)
                .arg(exploration.complete ? QString() : U(" (поиск прерван)"))
                .arg(exploration.ReachedCount())
                .arg(exploration.labels.size())
                .arg(exploration.deadEnds.size())
                .arg(exploration.errors.size()));
    }
    FitToWindow();
    return true;
}

void frmMap::ZoomBy(double factor) {
    view->Zoom(factor);
    m_Zoomed = true;
}

void frmMap::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!m_Zoomed) FitToWindow();
}

void frmMap::FitToWindow() {
    m_Zoomed = false;
    if (!svgItem) return;
    view->resetTransform();
    view->fitInView(svgItem, Qt::KeepAspectRatio);
    // A small map is not blown up past its own size.
    if (view->zoom() > 1) view->resetTransform();
}

}  // namespace tarvik::shell
