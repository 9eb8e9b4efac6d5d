// A Mondrian XMLA endpoint for the tests: an in-memory HSQLDB database built from the tables and
// columns the given Mondrian schemas name, served by Jetty on 127.0.0.1 at /xmla.
//
//   java XmlaTestServer [--ignore-stdin] PORT SCHEMA.xml...
//
// Prints "LISTENING 127.0.0.1:PORT" once it serves; stops when killed or, unless --ignore-stdin,
// when standard input closes.

import java.io.File;
import java.io.IOException;
import java.io.PrintWriter;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.sql.Connection;
import java.sql.DriverManager;
import java.sql.PreparedStatement;
import java.sql.SQLException;
import java.sql.Statement;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import javax.xml.parsers.DocumentBuilderFactory;
import org.eclipse.jetty.server.Server;
import org.eclipse.jetty.server.ServerConnector;
import org.eclipse.jetty.servlet.ServletContextHandler;
import org.eclipse.jetty.servlet.ServletHolder;
import org.w3c.dom.Element;
import org.w3c.dom.Node;

public final class XmlaTestServer {
    private static final String JDBC_URL = "jdbc:hsqldb:mem:lorvantic_xmla";
    private static final int ROWS = 3;

    // Column kinds, weakest first: a column used in several roles takes the strongest kind, so a
    // key stays an integer even where a level shows it as a string.
    enum Kind {
        TEXT("VARCHAR(200)"), BOOL("BOOLEAN"), DECIMAL("DECIMAL(14,2)"), INTEGER("INTEGER");
        final String sql;
        Kind(String sql) { this.sql = sql; }
    }

    static final class Column {
        Kind kind = Kind.TEXT;
        boolean parent;            // parent column of a parent-child level
        String nullParentValue;    // its value for a root member (null: SQL NULL)
    }

    static final Map<String, Map<String, Column>> tables = new LinkedHashMap<>();

    static Column column(String table, String name, Kind kind) {
        if (table == null || name == null || name.isEmpty()) return null;
        Column c = tables.computeIfAbsent(table, t -> new LinkedHashMap<>())
                         .computeIfAbsent(name, n -> new Column());
        if (kind.ordinal() > c.kind.ordinal()) c.kind = kind;
        return c;
    }

    static List<Element> children(Element e, String tag) {
        List<Element> out = new ArrayList<>();
        for (Node n = e.getFirstChild(); n != null; n = n.getNextSibling()) {
            if (n instanceof Element && (tag == null || tag.equals(n.getNodeName()))) out.add((Element) n);
        }
        return out;
    }

    static Element child(Element e, String tag) {
        List<Element> l = children(e, tag);
        return l.isEmpty() ? null : l.get(0);
    }

    static String attr(Element e, String name) {
        String v = e.getAttribute(name);
        return v.isEmpty() ? null : v;
    }

    static boolean isRelation(Element e) {
        String n = e.getNodeName();
        return n.equals("Table") || n.equals("Join") || n.equals("View") || n.equals("InlineTable");
    }

    static Element relation(Element e) {
        for (Element c : children(e, null)) if (isRelation(c)) return c;
        return null;
    }

    // Alias (or name) to table name for every table under a relation.
    static void collectAliases(Element rel, Map<String, String> aliases) {
        if (rel == null) return;
        if (rel.getNodeName().equals("Table")) {
            String name = attr(rel, "name");
            aliases.put(name, name);
            if (attr(rel, "alias") != null) aliases.put(attr(rel, "alias"), name);
            tables.computeIfAbsent(name, t -> new LinkedHashMap<>());
        } else if (rel.getNodeName().equals("Join")) {
            for (Element c : children(rel, null)) if (isRelation(c)) collectAliases(c, aliases);
        }
    }

    // The table a join key belongs to when the join names no alias: the first table of that side.
    static String firstTable(Element rel) {
        if (rel == null) return null;
        if (rel.getNodeName().equals("Table")) return attr(rel, "name");
        for (Element c : children(rel, null)) {
            if (isRelation(c)) return firstTable(c);
        }
        return null;
    }

    static void join(Element join, Map<String, String> aliases) {
        List<Element> sides = new ArrayList<>();
        for (Element c : children(join, null)) if (isRelation(c)) sides.add(c);
        if (sides.size() != 2) return;
        String left = attr(join, "leftAlias") != null ? aliases.get(attr(join, "leftAlias")) : firstTable(sides.get(0));
        String right = attr(join, "rightAlias") != null ? aliases.get(attr(join, "rightAlias")) : firstTable(sides.get(1));
        column(left, attr(join, "leftKey"), Kind.INTEGER);
        column(right, attr(join, "rightKey"), Kind.INTEGER);
        for (Element s : sides) if (s.getNodeName().equals("Join")) join(s, aliases);
    }

    private static final Pattern QUOTED = Pattern.compile("\"([^\"]+)\"(?:\\s*\\.\\s*\"([^\"]+)\")?");
    private static final Pattern PLAIN = Pattern.compile("\\b([A-Za-z_]\\w*)\\s*\\.\\s*([A-Za-z_]\\w*)\\b");

    // Columns named in an expression's SQL for HSQLDB (else the generic one): "table"."column",
    // "column" (of the context table) and unquoted table.column of a known table.
    static void expression(Element holder, String context, Map<String, String> aliases, Kind kind) {
        if (holder == null) return;
        Element chosen = null;
        for (Element sql : children(holder, "SQL")) {
            String d = attr(sql, "dialect");
            if ("hsqldb".equals(d)) { chosen = sql; break; }
            if ("generic".equals(d) || d == null) chosen = sql;
        }
        if (chosen == null) return;
        String text = chosen.getTextContent();
        Matcher m = QUOTED.matcher(text);
        while (m.find()) {
            if (m.group(2) != null) column(aliases.getOrDefault(m.group(1), m.group(1)), m.group(2), kind);
            else column(context, m.group(1), kind);
        }
        Matcher p = PLAIN.matcher(text.replaceAll("\"[^\"]*\"|'[^']*'", " "));
        while (p.find()) {
            if (aliases.containsKey(p.group(1))) column(aliases.get(p.group(1)), p.group(2), kind);
        }
    }

    static Kind levelKind(String type) {
        if (type == null) return Kind.TEXT;
        switch (type) {
            case "Numeric": case "Integer": return Kind.INTEGER;
            case "Boolean": return Kind.BOOL;
            default: return Kind.TEXT;
        }
    }

    static void hierarchy(Element h, String fact, Map<String, String> factAliases) {
        Element rel = relation(h);
        Map<String, String> aliases = new LinkedHashMap<>(factAliases);
        String table;
        if (rel == null) {
            table = fact;
        } else {
            Map<String, String> own = new LinkedHashMap<>();
            collectAliases(rel, own);
            aliases.putAll(own);
            if (rel.getNodeName().equals("Join")) join(rel, own);
            table = rel.getNodeName().equals("Table") ? attr(rel, "name") : null;
        }
        String keyTable = attr(h, "primaryKeyTable") != null ? aliases.get(attr(h, "primaryKeyTable")) : table;
        column(keyTable, attr(h, "primaryKey"), Kind.INTEGER);
        for (Element level : children(h, "Level")) {
            String lt = attr(level, "table") != null ? aliases.get(attr(level, "table")) : table;
            column(lt, attr(level, "column"), levelKind(attr(level, "type")));
            column(lt, attr(level, "nameColumn"), Kind.TEXT);
            column(lt, attr(level, "captionColumn"), Kind.TEXT);
            column(lt, attr(level, "ordinalColumn"), Kind.INTEGER);
            Column parent = column(lt, attr(level, "parentColumn"), Kind.INTEGER);
            if (parent != null) {
                parent.parent = true;
                parent.nullParentValue = attr(level, "nullParentValue");
            }
            for (String e : new String[] {"KeyExpression", "NameExpression", "CaptionExpression",
                                          "OrdinalExpression", "ParentExpression"}) {
                expression(child(level, e), lt, aliases, Kind.TEXT);
            }
            for (Element prop : children(level, "Property")) {
                column(lt, attr(prop, "column"), levelKind(attr(prop, "type")));
            }
            Element closure = child(level, "Closure");
            if (closure != null) {
                Element ct = child(closure, "Table");
                String name = ct == null ? null : attr(ct, "name");
                column(name, attr(closure, "parentColumn"), Kind.INTEGER);
                column(name, attr(closure, "childColumn"), Kind.INTEGER);
            }
        }
    }

    static void dimension(Element d, String fact, Map<String, String> factAliases) {
        column(fact, attr(d, "foreignKey"), Kind.INTEGER);
        for (Element h : children(d, "Hierarchy")) hierarchy(h, fact, factAliases);
    }

    static String schema(File file) throws Exception {
        DocumentBuilderFactory f = DocumentBuilderFactory.newInstance();
        f.setFeature("http://apache.org/xml/features/disallow-doctype-decl", true);
        javax.xml.parsers.DocumentBuilder builder = f.newDocumentBuilder();
        builder.setErrorHandler(new org.xml.sax.helpers.DefaultHandler() {
            @Override public void fatalError(org.xml.sax.SAXParseException e) throws org.xml.sax.SAXException { throw e; }
        });  // the exception's message says it all; the default handler would print it twice
        Element root = builder.parse(file).getDocumentElement();
        if (!root.getNodeName().equals("Schema") || attr(root, "name") == null) {
            throw new IllegalArgumentException(file + ": not a Mondrian schema (no <Schema name=...> root)");
        }
        for (Element d : children(root, "Dimension")) dimension(d, null, Map.of());
        for (Element cube : children(root, "Cube")) {
            Element rel = relation(cube);
            Map<String, String> aliases = new LinkedHashMap<>();
            collectAliases(rel, aliases);
            String fact = rel != null && rel.getNodeName().equals("Table") ? attr(rel, "name") : null;
            for (Element d : children(cube, "Dimension")) dimension(d, fact, aliases);
            for (Element u : children(cube, "DimensionUsage")) column(fact, attr(u, "foreignKey"), Kind.INTEGER);
            for (Element m : children(cube, "Measure")) {
                column(fact, attr(m, "column"), Kind.DECIMAL);
                expression(child(m, "MeasureExpression"), fact, aliases, Kind.DECIMAL);
            }
        }
        return attr(root, "name");
    }

    static String quote(String id) {
        return '"' + id.replace("\"", "\"\"") + '"';
    }

    static Object value(String columnName, Column c, int row) {
        if (c.parent) {
            if (row > 1) return 1;
            return c.nullParentValue == null ? null : Integer.valueOf(c.nullParentValue.trim());
        }
        switch (c.kind) {
            case INTEGER: return row;
            case DECIMAL: return new java.math.BigDecimal(row * 10 + ".50");
            case BOOL: return row % 2 == 0;
            default: return columnName + " " + row;
        }
    }

    static void createDatabase(Connection db) throws SQLException {
        try (Statement st = db.createStatement()) {
            for (Map.Entry<String, Map<String, Column>> t : tables.entrySet()) {
                Map<String, Column> cols = t.getValue();
                if (cols.isEmpty()) column(t.getKey(), "id", Kind.INTEGER);
                StringBuilder ddl = new StringBuilder("CREATE TABLE ").append(quote(t.getKey())).append(" (");
                StringBuilder ins = new StringBuilder("INSERT INTO ").append(quote(t.getKey())).append(" VALUES (");
                String sep = "";
                for (Map.Entry<String, Column> c : cols.entrySet()) {
                    ddl.append(sep).append(quote(c.getKey())).append(' ').append(c.getValue().kind.sql);
                    ins.append(sep).append('?');
                    sep = ", ";
                }
                st.execute(ddl.append(')').toString());
                try (PreparedStatement ps = db.prepareStatement(ins.append(')').toString())) {
                    for (int row = 1; row <= ROWS; ++row) {
                        int i = 1;
                        for (Map.Entry<String, Column> c : cols.entrySet()) {
                            ps.setObject(i++, value(c.getKey(), c.getValue(), row));
                        }
                        ps.executeUpdate();
                    }
                }
            }
        }
    }

    static String dataSourceInfo() {
        return "Provider=mondrian;Jdbc=" + JDBC_URL + ";JdbcUser=SA;JdbcPassword=;JdbcDrivers=org.hsqldb.jdbc.JDBCDriver";
    }

    static String xml(String s) {
        return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace("\"", "&quot;");
    }

    static void usage(String message) {
        System.err.println("XmlaTestServer: " + message);
        System.err.println("usage: XmlaTestServer [--ignore-stdin] PORT SCHEMA.xml...");
        System.exit(2);
    }

    public static void main(String[] args) throws Exception {
        int a = 0;
        boolean ignoreStdin = false;
        if (a < args.length && args[a].equals("--ignore-stdin")) { ignoreStdin = true; ++a; }
        if (args.length - a < 2) usage("need a port and at least one schema file");
        int port = -1;
        try { port = Integer.parseInt(args[a]); } catch (NumberFormatException e) { /* below */ }
        if (port < 0 || port > 65535) usage("bad port: " + args[a]);

        Map<String, File> catalogs = new LinkedHashMap<>();
        for (int i = a + 1; i < args.length; ++i) {
            File f = new File(args[i]).getAbsoluteFile();
            if (!f.isFile()) usage("no such schema file: " + args[i]);
            String name;
            try {
                name = schema(f);
            } catch (Exception e) {
                System.err.println("XmlaTestServer: cannot read " + f + ": " + e.getMessage());
                System.exit(1);
                return;
            }
            if (catalogs.put(name, f) != null) usage("two schemas named " + name);
        }

        // The in-memory database lives as long as this connection stays open.
        Connection db = DriverManager.getConnection(JDBC_URL, "SA", "");
        createDatabase(db);

        // Mondrian reports a schema it rejects only as a bare fault on the first request; load each
        // here so that start-up fails with the reason instead.
        for (Map.Entry<String, File> c : catalogs.entrySet()) {
            try {
                mondrian.olap.DriverManager.getConnection(dataSourceInfo() + ";Catalog='"
                    + c.getValue().toURI().toString().replace("'", "''") + "'", null).close();
            } catch (RuntimeException e) {
                StringBuilder why = new StringBuilder();
                for (Throwable t = e; t != null; t = t.getCause()) {
                    if (t.getMessage() != null && why.indexOf(t.getMessage()) < 0) why.append("\n  ").append(t.getMessage());
                }
                System.err.println("XmlaTestServer: Mondrian rejects " + c.getValue() + ":" + why);
                System.exit(1);
            }
        }

        File config = File.createTempFile("xmla-datasources", ".xml");
        config.deleteOnExit();
        try (PrintWriter w = new PrintWriter(config, StandardCharsets.UTF_8)) {
            w.println("<?xml version=\"1.0\"?>");
            w.println("<DataSources><DataSource>");
            w.println("<DataSourceName>Provider=Mondrian;DataSource=Lorvantic;</DataSourceName>");
            w.println("<DataSourceDescription>Lorvantic test server</DataSourceDescription>");
            w.println("<URL>http://127.0.0.1/xmla</URL>");
            w.println("<DataSourceInfo>" + xml(dataSourceInfo()) + "</DataSourceInfo>");
            w.println("<ProviderName>Mondrian</ProviderName><ProviderType>MDP</ProviderType>");
            w.println("<AuthenticationMode>Unauthenticated</AuthenticationMode><Catalogs>");
            for (Map.Entry<String, File> c : catalogs.entrySet()) {
                w.println("<Catalog name=\"" + xml(c.getKey()) + "\"><Definition>"
                          + xml(c.getValue().toURI().toString()) + "</Definition></Catalog>");
            }
            w.println("</Catalogs></DataSource></DataSources>");
        }

        Server server = new Server();
        ServerConnector connector = new ServerConnector(server);
        connector.setHost("127.0.0.1");
        connector.setPort(port);
        server.addConnector(connector);
        ServletContextHandler context = new ServletContextHandler();
        context.setContextPath("/");
        context.setResourceBase(config.getParentFile().getAbsolutePath());
        ServletHolder xmla = new ServletHolder(new mondrian.xmla.impl.MondrianXmlaServlet());
        xmla.setInitParameter("DataSourcesConfig", config.toURI().toString());
        xmla.setInitOrder(0);
        context.addServlet(xmla, "/xmla");
        server.setHandler(context);
        server.setStopAtShutdown(true);
        server.start();

        System.out.println("LISTENING 127.0.0.1:" + connector.getLocalPort());
        System.out.flush();

        if (ignoreStdin) {
            server.join();
        } else {
            try {
                while (System.in.read() >= 0) { /* wait for end of input */ }
            } catch (IOException e) { /* closed: stop as well */ }
            server.stop();
            db.close();
            System.exit(0);
        }
    }
}
