-- Case-insensitive codes on the server: citext columns (in the database's
-- collation and in "C") and their index against text columns with an index
-- on lower(), for the transfer's own pattern (single-row inserts, then one
-- look-up and one update per article by catalog and article code). Prints the
-- time of each step on the server.
--   psql -q -f bench/citext.sql "CONNINFO"
\set ON_ERROR_STOP 1
set client_min_messages = notice;
create temp table ci (idcatalogo citext not null, idarticulo citext not null, descripcion citext);
create index on ci (idcatalogo, idarticulo);
create temp table cc (idcatalogo citext collate "C" not null, idarticulo citext collate "C" not null,
                      descripcion citext collate "C");
create index on cc (idcatalogo, idarticulo);
create temp table lo (idcatalogo text not null, idarticulo text not null, descripcion text);
create index on lo (lower(idcatalogo), lower(idarticulo));
do $$
declare
    t0 timestamptz;
    n int := 100000;
begin
    t0 := clock_timestamp();
    for i in 1..n loop
        insert into ci values ('CAT1', 'B100000-' || i, 'Pieza ' || i);
    end loop;
    raise notice '%', rpad('citext', 24) || rpad('altas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        insert into cc values ('CAT1', 'B100000-' || i, 'Pieza ' || i);
    end loop;
    raise notice '%', rpad('citext collate "C"', 24) || rpad('altas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        insert into lo values ('CAT1', 'B100000-' || i, 'Pieza ' || i);
    end loop;
    raise notice '%', rpad('text, index on lower()', 24) || rpad('altas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        perform 1 from ci where idcatalogo = 'cat1' and idarticulo = ('b100000-' || i)::citext;
    end loop;
    raise notice '%', rpad('citext', 24) || rpad('busquedas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        perform 1 from cc where idcatalogo = 'cat1' and idarticulo = ('b100000-' || i)::citext;
    end loop;
    raise notice '%', rpad('citext collate "C"', 24) || rpad('busquedas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        perform 1 from lo where lower(idcatalogo) = lower('cat1') and lower(idarticulo) = lower('b100000-' || i);
    end loop;
    raise notice '%', rpad('text, index on lower()', 24) || rpad('busquedas', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        update ci set descripcion = 'Otra' where idcatalogo = 'Cat1' and idarticulo = ('B100000-' || i)::citext;
    end loop;
    raise notice '%', rpad('citext', 24) || rpad('cambios', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        update cc set descripcion = 'Otra' where idcatalogo = 'Cat1' and idarticulo = ('B100000-' || i)::citext;
    end loop;
    raise notice '%', rpad('citext collate "C"', 24) || rpad('cambios', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
    t0 := clock_timestamp();
    for i in 1..n loop
        update lo set descripcion = 'Otra' where lower(idcatalogo) = lower('Cat1') and lower(idarticulo) = lower('B100000-' || i);
    end loop;
    raise notice '%', rpad('text, index on lower()', 24) || rpad('cambios', 11) || to_char(extract(epoch from clock_timestamp() - t0), 'FM990.00') || ' s';
end $$;
