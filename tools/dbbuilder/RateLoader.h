#pragma once

class BuilderDatabase;
class CsvFile;

// Every rate of the tariff export, kept by code beside the lookup tables (RateSchema): MFN,
// provisional, general, each agreement partner by its published name, the export duty and its
// provisional rate. Empty cells store nothing. Replaces every row of tariff_rate; the tables are
// created first when the database predates them. Rows are checked by the tariff load before.
int loadPublishedRates(BuilderDatabase &db, const CsvFile &tariff);

// The customs partner countries (columns code and a Chinese name, `zh` or `name`): the origins
// a user can choose between. Replaces every row of partner_country.
int loadPartnerCountries(BuilderDatabase &db, const CsvFile &countries);
