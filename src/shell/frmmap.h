// "Карта квеста": the open quest's map, drawn by Graphviz as SVG and shown in a view that zooms.
#pragma once

#include <string>

#include <QDialog>
#include <QGraphicsView>
#include <QLabel>
#include <QPushButton>

class QGraphicsSvgItem;
class QSvgRenderer;

namespace tarvik::shell {

// The map's view: the wheel with Ctrl, and the keys + and -, zoom about the pointer.
class MapView : public QGraphicsView {
    Q_OBJECT
public:
    using QGraphicsView::QGraphicsView;
    void Zoom(double factor);
    double zoom() const { return transform().m11(); }

signals:
    void zoomed();
    void resized();

protected:
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

class frmMap : public QDialog {
    Q_OBJECT
public:
    explicit frmMap(QWidget* parent = nullptr);
    // Draws the map of the quest at `nativePath` (UTF-8); with `explore`, coloured by an exploration. False,
    // with the reason shown in the window, when the quest cannot be read or drawn.
    bool ShowQuest(const std::string& nativePath, bool explore);

    MapView* view;
    QLabel* lblLegend;
    QPushButton* cmdExplore;
    QPushButton* cmdZoomIn;
    QPushButton* cmdZoomOut;
    QPushButton* cmdFit;
    QGraphicsSvgItem* svgItem = nullptr;

protected:
    // Until the user zooms, the map follows the window's size.
    void showEvent(QShowEvent* e) override;

private:
    void FitToWindow();
    void ZoomBy(double factor);
    bool m_Zoomed = false;
    std::string m_Quest;
    QSvgRenderer* m_Renderer = nullptr;
};

}  // namespace tarvik::shell
