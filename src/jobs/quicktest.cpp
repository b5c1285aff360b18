// "Quick Test" on the General page: a short tour of the controller's abilities on one strip of
// paper, the logo, one line per text attribute, two strips of symbols, a bar code and a raster
// picture.
#include "app/mainwindow.h"

#include "jobs/jobstreams.h"

void MainWindow::on_pushButtonFont_released()
{
    runJob(Jobs::quickTestJob);
}
